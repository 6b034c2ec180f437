#include "epgdb/location.h"

#include <filesystem>
#include <system_error>

#include "platform/environment.h"

namespace epgdb {
namespace {

std::string Variable(const char* name) {
  std::string value;
  return platform::GetEnvironmentVariable(name, &value) ? value : std::string();
}

std::filesystem::path ChosenPath() {
  std::string file = Variable("GLIMMERBOX_EPG_DB");
  if (!file.empty())
    return file;
  std::filesystem::path data = Variable("XDG_DATA_HOME");
  if (data.empty() || data.is_relative()) {
    std::string home = Variable("HOME");
    if (home.empty())
      return {};
    data = std::filesystem::path(home) / ".local" / "share";
  }
  return data / "glimmerbox" / "epg.sqlite";
}

}  // namespace

bool IsServerUri(const std::string& location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::string DatabasePath() {
  std::filesystem::path path = ChosenPath();
  if (path.empty() || IsServerUri(path.string()))
    return path.string();
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(path, error);
  return error ? path.string() : absolute.string();
}

bool CreateParentFolders(const std::string& path) {
  std::error_code error;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty())
    return true;
  std::filesystem::create_directories(parent, error);
  return std::filesystem::is_directory(parent, error);
}

}  // namespace epgdb
