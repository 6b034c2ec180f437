#include "app/command_line_parser.h"

#include <algorithm>

#include "diag/format.h"
#include "diag/log.h"
#include "platform/command_line.h"

namespace {

bool IsBlank(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= 32;
}

size_t SkipBlanks(const std::string& line, size_t at) {
  while (at < line.size() && IsBlank(line[at]))
    ++at;
  return at;
}

// Only the space ends an unquoted argument or value; a tab is part of it.
size_t SpaceOrEnd(const std::string& line, size_t at) {
  return std::min(line.find(' ', at), line.size());
}

// Reads the text after the quote at `quote` up to the next quote or the end; returns the
// position after the closing quote.
size_t ReadQuoted(const std::string& line, size_t quote, std::string* value) {
  size_t close = std::min(line.find('"', quote + 1), line.size());
  *value = line.substr(quote + 1, close - quote - 1);
  return std::min(close + 1, line.size());
}

}  // namespace

bool CommandLineParser::ByteOrder::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

CommandLineParser::CommandLineParser() {
  Parse(platform::GetCommandLine());
}

CommandLineParser::CommandLineParser(const std::string& commandLine) {
  Parse(commandLine);
}

bool CommandLineParser::HasParameter(std::string name) const {
  ToUpper(name);
  return m_Parameters.count(name) != 0;
}

std::string CommandLineParser::GetParameter(std::string name) const {
  ToUpper(name);
  auto it = m_Parameters.find(name);
  return it == m_Parameters.end() ? std::string() : it->second;
}

void CommandLineParser::Parse(const std::string& line) {
  Add(COMMANDLINE, line);
  size_t at = SkipBlanks(line, ParseProgramName(line));
  while (at < line.size()) {
    if (line[at] == ' ') {
      ++at;
    } else if (line[at] == '"') {
      std::string value;
      at = ReadQuoted(line, at, &value);
      AddPositional(value);
    } else if (line[at] == '/' || line[at] == '-') {
      at = ParseOption(line, at);
    } else {
      size_t end = SpaceOrEnd(line, at);
      AddPositional(line.substr(at, end - at));
      at = end;
    }
  }
}

// Stores MODULEFILENAME; returns where the arguments begin.
size_t CommandLineParser::ParseProgramName(const std::string& line) {
  if (!line.empty() && line[0] == '"') {
    std::string name;
    size_t next = ReadQuoted(line, 0, &name);
    Add(MODULEFILENAME, name);
    return next;
  }
  size_t end = 0;
  while (end < line.size() && !IsBlank(line[end]))
    ++end;
  Add(MODULEFILENAME, line.substr(0, end));
  return end;
}

// `at` is the option's '/' or '-'; returns where the next argument may begin.
size_t CommandLineParser::ParseOption(const std::string& line, size_t at) {
  size_t end = std::min(line.find_first_of(": ", at + 1), line.size());
  std::string name = line.substr(at + 1, end - at - 1);
  if (name.empty()) {
    LogLine(TRACE, "Empty parameter name on command line");
    return std::min(end + 1, line.size());
  }
  ToUpper(name);
  if (end == line.size() || line[end] == ' ') {
    Add(name, "");
    return end;
  }
  return ParseOptionValue(line, end + 1, name);
}

// `at` follows the option's ':'.
size_t CommandLineParser::ParseOptionValue(const std::string& line, size_t at,
                                           const std::string& name) {
  at = SkipBlanks(line, at);
  if (at < line.size() && line[at] == '"') {
    std::string value;
    size_t next = ReadQuoted(line, at, &value);
    Add(name, value);
    return next;
  }
  if (at < line.size() && (line[at] == '-' || line[at] == '/')) {
    // The next option starts here; this one stays without a value.
    Add(name, "");
    LogLine(TRACE, "Parameter '", name, "' value expected because of the trailing ':'");
    return at;
  }
  size_t end = SpaceOrEnd(line, at);
  Add(name, line.substr(at, end - at));
  return end;
}

void CommandLineParser::AddPositional(const std::string& value) {
  std::string name;
  Format(name, "%%%d", ++m_nPositionalCount);
  Add(name, value);
}

void CommandLineParser::Add(const std::string& name, const std::string& value) {
  m_Parameters.emplace(name, value);
}
