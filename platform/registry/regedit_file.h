// The contents of a REGEDIT4 text file: keys with their values. Understood lines: sections
// "[HKEY_LOCAL_MACHINE\Path\To\Key]", values "name"="text" (escapes \\ and \"), "name"=dword:hex
// and @= for the default value. Comments (;), deletions and other value types are skipped.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

// Value names (folded to lower case, "" for the default value) to values.
using RegistryValues = std::map<std::string, RegistryValue>;

// Full key paths folded to lower case ("hkey_local_machine\software\...") to their values.
using RegistryKeys = std::map<std::string, RegistryValues>;

// ASCII letters to lower case, every other byte unchanged.
std::string FoldCase(std::string_view text);

// Reads the whole text; never fails (lines it does not understand are skipped).
RegistryKeys ParseRegeditText(std::string_view text);

// Reads the file; a file that cannot be read gives no keys.
RegistryKeys ReadRegeditFile(const std::string& path);

}  // namespace platform
