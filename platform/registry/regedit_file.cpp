#include "platform/registry/regedit_file.h"

#include <fstream>
#include <optional>
#include <sstream>

namespace platform {
namespace {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegDword = 4;

std::string_view Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos)
    return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Reads a quoted text at the start of `s` (REGEDIT4 escapes \\ and \"); on success advances `s`
// past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view& s) {
  if (s.empty() || s[0] != '"')
    return std::nullopt;
  std::string out;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      s.remove_prefix(i + 1);
      return out;
    }
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"'))
      ++i;
    out += s[i];
  }
  return std::nullopt;
}

std::optional<RegistryValue> ReadDword(std::string_view hex) {
  if (hex.empty() || hex.size() > 8)
    return std::nullopt;
  uint32_t n = 0;
  for (char c : hex) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0)
      return std::nullopt;
    n = n << 4 | uint32_t(digit);
  }
  RegistryValue v{kRegDword, std::vector<uint8_t>(4)};
  for (int i = 0; i < 4; ++i)
    v.data[i] = uint8_t(n >> (8 * i));
  return v;
}

std::optional<RegistryValue> ReadData(std::string_view s) {
  if (s.starts_with("dword:"))
    return ReadDword(Trim(s.substr(6)));
  std::optional<std::string> text = ReadQuoted(s);
  if (!text || !Trim(s).empty())
    return std::nullopt;
  RegistryValue v{kRegSz, std::vector<uint8_t>(text->begin(), text->end())};
  v.data.push_back(0);
  return v;
}

// Adds the value of a line such as "name"=dword:0000000e to `values`, when it is one.
void ReadValueLine(std::string_view line, RegistryValues& values) {
  std::optional<std::string> name;
  if (line.starts_with('@')) {
    name = "";
    line.remove_prefix(1);
  } else {
    name = ReadQuoted(line);
  }
  line = Trim(line);
  if (!name || !line.starts_with('='))
    return;
  std::optional<RegistryValue> value = ReadData(Trim(line.substr(1)));
  if (value)
    values[FoldCase(*name)] = std::move(*value);
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = char(c - 'A' + 'a');
  }
  return out;
}

RegistryKeys ParseRegeditText(std::string_view text) {
  RegistryKeys keys;
  RegistryValues* current = nullptr;
  std::istringstream in{std::string(text)};
  std::string raw;
  while (std::getline(in, raw)) {
    std::string_view line = Trim(raw);
    if (line.starts_with('[')) {
      bool isKey = line.ends_with(']') && line.size() > 2 && line[1] != '-';
      std::string path = FoldCase(line.substr(1, line.size() - 2));
      while (path.ends_with('\\'))
        path.pop_back();
      current = isKey ? &keys[path] : nullptr;
    } else if (current != nullptr) {
      ReadValueLine(line, *current);
    }
  }
  return keys;
}

RegistryKeys ReadRegeditFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return {};
  std::ostringstream text;
  text << file.rdbuf();
  return ParseRegeditText(text.str());
}

}  // namespace platform
