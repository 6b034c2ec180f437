#include "platform/registry/registry.h"

#include <cstring>
#include <string>

#include "platform/environment.h"
#include "platform/registry/regedit_file.h"

// An open key: its folded path and a copy of its values, taken when it was opened.
struct RegistryKey {
  std::string path;
  platform::RegistryValues values;
};

namespace {

constexpr char kDefaultFile[] = "/etc/glimmerbox/registry.reg";

std::string RegistryFilePath() {
  std::string path;
  if (!platform::GetEnvironmentVariable("GLIMMERBOX_REGISTRY", &path) || path.empty()) {
    path = kDefaultFile;
  }
  return path;
}

// The folded path of an open or root key; empty for a key that is neither.
std::string KeyPath(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE)
    return "hkey_local_machine";
  return key == nullptr ? std::string() : key->path;
}

std::string JoinPath(std::string path, const char* subKey) {
  std::string sub = platform::FoldCase(subKey == nullptr ? "" : subKey);
  while (sub.ends_with('\\'))
    sub.pop_back();
  if (!sub.empty())
    path += "\\" + sub;
  return path;
}

// A key exists when the file names it or a key below it.
bool KeyExists(const platform::RegistryKeys& keys, const std::string& path) {
  auto it = keys.lower_bound(path);
  if (it == keys.end())
    return false;
  return it->first == path || it->first.starts_with(path + "\\");
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
  if (result == nullptr)
    return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string base = KeyPath(key);
  if (base.empty())
    return ERROR_INVALID_HANDLE;
  std::string path = JoinPath(base, subKey);
  platform::RegistryKeys keys = platform::ReadRegeditFile(RegistryFilePath());
  if (!KeyExists(keys, path))
    return ERROR_FILE_NOT_FOUND;
  auto found = keys.find(path);
  *result = new RegistryKey{
      path, found == keys.end() ? platform::RegistryValues{} : std::move(found->second)};
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                     DWORD* dataSize) {
  if (key == nullptr || key == HKEY_LOCAL_MACHINE)
    return ERROR_INVALID_HANDLE;
  if (data != nullptr && dataSize == nullptr)
    return ERROR_INVALID_PARAMETER;
  auto it = key->values.find(platform::FoldCase(valueName == nullptr ? "" : valueName));
  if (it == key->values.end())
    return ERROR_FILE_NOT_FOUND;
  const platform::RegistryValue& value = it->second;
  if (type != nullptr)
    *type = value.type;
  DWORD size = static_cast<DWORD>(value.data.size());
  LONG status = ERROR_SUCCESS;
  if (data != nullptr && *dataSize < size) {
    status = ERROR_MORE_DATA;
  } else if (data != nullptr) {
    std::memcpy(data, value.data.data(), size);
  }
  if (dataSize != nullptr)
    *dataSize = size;
  return status;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE)
    return ERROR_SUCCESS;
  if (key == nullptr)
    return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}
