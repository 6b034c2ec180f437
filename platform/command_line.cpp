#include "platform/command_line.h"

#include "platform/file.h"

namespace platform {
namespace {

bool HoldsBlank(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 1 && c <= 32)
      return true;
  }
  return false;
}

// Only a '/' before the first ':' makes a path, so "/s:/home/me/list.txt" stays an option.
bool IsPath(const std::string& s) {
  if (s.empty() || s[0] != '/')
    return false;
  return s.find('/', 1) < s.find(':') || FileExists(s);
}

std::string Quoted(const std::string& s) {
  if (s.find('"') != std::string::npos)
    return s;
  return HoldsBlank(s) || IsPath(s) ? "\"" + s + "\"" : s;
}

// An empty argument is written as "" so that it keeps its place among the positional ones; an
// empty value after ':' stays empty, as it was typed ("/c: /x" reads as /c without a value).
std::string QuoteArgument(const std::string& arg) {
  if (arg.empty())
    return "\"\"";
  bool option = arg[0] == '-' || (arg[0] == '/' && !IsPath(arg));
  if (!option)
    return Quoted(arg);
  size_t colon = arg.find(':');
  if (colon == std::string::npos)
    return arg;
  return arg.substr(0, colon + 1) + Quoted(arg.substr(colon + 1));
}

std::string& Storage() {
  static std::string line;
  return line;
}

}  // namespace

std::string BuildCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0)
      line += ' ';
    line += QuoteArgument(args[i]);
  }
  return line;
}

void InitCommandLine(int argc, char** argv) {
  Storage() = BuildCommandLine(std::vector<std::string>(argv, argv + argc));
}

std::string& GetCommandLine() {
  return Storage();
}

std::string GetCommandLineTail() {
  const std::string& line = Storage();
  size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    i = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && static_cast<unsigned char>(line[i]) > 32)
      ++i;
  }
  while (i < line.size() && line[i] >= 1 && line[i] <= 32)
    ++i;
  return line.substr(i);
}

}  // namespace platform
