#include "diag/log_settings.h"

#include <strings.h>
#include <cctype>
#include <cstring>

#include "diag/format.h"
#include "platform/environment.h"

namespace {

constexpr char kVariable[] = "logging";
constexpr size_t kVariableChars = 8;

bool IsWhite(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

void PublishCode(uint32_t code) {
  std::string text;
  Format(text, "%08X", code);
  platform::SetEnvironmentVariable(kVariable, text);
}

}  // namespace

uint32_t ParseLoggingCode(const char* text) {
  while (IsWhite(*text))
    ++text;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text += 2;
  uint32_t code = 0;
  for (int d; (d = HexDigit(*text)) >= 0; ++text)
    code = code * 16 + static_cast<uint32_t>(d);
  return code;
}

bool FindLoggingSwitch(const std::string& commandLine, size_t* position) {
  for (size_t i = 0; i < commandLine.size(); ++i) {
    if (commandLine[i] != '/' && commandLine[i] != '-')
      continue;
    if (strncasecmp(commandLine.c_str() + i + 1, "logging:", 8) == 0) {
      *position = i;
      return true;
    }
  }
  return false;
}

void RemoveLoggingSwitch(std::string& commandLine, size_t position) {
  size_t end = position;
  while (end < commandLine.size() && !IsWhite(commandLine[end]))
    ++end;
  while (end < commandLine.size() && IsWhite(commandLine[end]))
    ++end;
  commandLine.erase(position, end - position);
}

bool LogSettings::DebuggerPresent() {
  return m_fnIsDebuggerPresent.IsAvailable() && m_fnIsDebuggerPresent.Get()() != 0;
}

void LogSettings::Read(std::string& commandLine, const std::string& modulePath, bool debugger) {
  if (debugger)
    m_nCode |= kLogToDebugger;
  m_strCommandLine = commandLine;
  size_t at = 0;
  std::string inherited;
  if (FindLoggingSwitch(commandLine, &at)) {
    m_nCode = ParseLoggingCode(commandLine.c_str() + at + 9);
    if (debugger) {
      m_nCode |= kLogToDebugger;
      if ((m_nCode & ~kSinkMask) > 0x100)
        m_nCode = (m_nCode & kSinkMask) | 0x100;
    }
    PublishCode(m_nCode);
    RemoveLoggingSwitch(commandLine, at);
  } else if (platform::GetEnvironmentVariable(kVariable, &inherited)) {
    m_nCode = ParseLoggingCode(inherited.substr(0, kVariableChars).c_str());
    m_bOwner = false;
  } else {
    PublishCode(m_nCode);
  }
  if ((m_nCode & kLogToFile) != 0 && !modulePath.empty()) {
    m_strFileName = modulePath + ".log";
  } else {
    m_nCode &= ~kLogToFile;
    m_strFileName.clear();
  }
}
