#include "diag/log.h"

#include <cstdlib>
#include <stdexcept>

#include "diag/countdown_box.h"
#include "diag/error_description.h"
#include "diag/format.h"
#include "diag/log_text.h"
#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/debug_output.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/ui/ui.h"

namespace {

Log* g_pInstance = nullptr;
bool g_bDestroyed = false;

void DestroyInstance() {
  delete g_pInstance;
  g_pInstance = nullptr;
  g_bDestroyed = true;
}

std::string ModulePath() {
  std::string path;
  return platform::GetModuleFileName(&path) ? path : std::string();
}

bool HasSink(uint32_t code) {
  return (code & kSinkMask) != 0;
}

}  // namespace

Log& Log::Instance() {
  if (g_pInstance == nullptr) {
    if (g_bDestroyed)
      throw std::logic_error("Dead Reference Detected");
    LogSettings probe;
    g_pInstance = new Log(platform::GetCommandLine(), ModulePath(), probe.DebuggerPresent());
    atexit(DestroyInstance);
  }
  return *g_pInstance;
}

Log::Log(std::string& commandLine, const std::string& modulePath, bool debuggerAttached)
    : m_fnTrace("trevance.dll", "_Z11TRACESIMPLEPKc"), m_strModulePath(modulePath) {
  m_settings.Read(commandLine, modulePath, debuggerAttached);
  m_bPasses = true;
  m_nLevel = ERROR;
  if (m_settings.m_bOwner) {
    m_nStartTime = platform::GetSystemTimeAsFileTime();
    LogHeaderFacts facts;
    facts.now = platform::GetLocalTime();
    facts.code = m_settings.m_nCode;
    facts.processId = platform::GetCurrentProcessId();
    facts.commandLine = m_settings.m_strCommandLine;
    platform::GetCurrentDirectory(&facts.currentDirectory);
    Emit(LogHeaderText(facts), m_nLevel, 0);
  }
  if (!modulePath.empty())
    Emit("Module starting to log: '" + modulePath + "'", m_nLevel, 0);
}

Log::~Log() {
  if (!m_settings.m_bOwner)
    return;
  uint64_t end = platform::GetSystemTimeAsFileTime();
  m_bPasses = true;
  m_nLevel = TRACE;
  Emit(LogFooterText(platform::GetLocalTime(), RunningTimeText(m_nStartTime, end)), m_nLevel, 0);
}

bool Log::IsOn(int level) const {
  uint32_t threshold = (m_settings.m_nCode >> 8) & 0xFF;
  return static_cast<uint32_t>(level) >= threshold &&
         (HasSink(m_settings.m_nCode) || level >= USERALERT);
}

LogMessage Log::Begin(int level) {
  m_strLine.clear();
  m_bPasses = IsOn(level);
  if (m_bPasses) {
    m_nLevel = level;
    m_strLine = LogTimeText(platform::GetLocalTime()) + LogLevelName(level);
    m_nPrefixLength = m_strLine.size();
  }
  return LogMessage(*this);
}

bool Log::Passes() const {
  return m_bPasses && (HasSink(m_settings.m_nCode) || m_nLevel >= USERALERT);
}

void Log::Append(const std::string& text) {
  if (Passes())
    m_strLine += text;
}

void Log::End() {
  if (Passes())
    Emit(m_strLine, m_nLevel, m_nPrefixLength);
  m_strLine.clear();
}

void Log::Emit(const std::string& text, int level, size_t prefixLength) {
  if (text.empty())
    return;
  std::string line = text;
  if (line.back() != '\n')
    line += "\r\n";
  uint32_t code = m_settings.m_nCode;
  if ((code & kLogToDebugger) != 0) {
    if (m_fnTrace.IsAvailable()) {
      m_fnTrace.Get()(line.c_str());
    } else {
      platform::OutputDebugString(line.c_str());
    }
  }
  if ((code & kLogToErrorInfo) != 0 && level >= ERROR) {
    SetErrorDescription(platform::Utf8ToUtf16(line).c_str());
  }
  if ((code & kLogToFile) != 0) {
    platform::AppendToFile(m_settings.m_strFileName, line.data(), line.size());
  }
  if (level >= USERALERT)
    ShowBox(line.substr(std::min(prefixLength, line.size())), level);
}

void Log::ShowBox(const std::string& text, int level) {
  if (level == USERALERT) {
    CountdownBox::Show(text, m_strModulePath);
    return;
  }
  platform::ui::CurrentBackend().MessageBox(
      text, m_strModulePath,
      platform::ui::MB_OK | platform::ui::MB_ICONHAND | platform::ui::MB_SETFOREGROUND);
}

LogMessage::~LogMessage() {
  m_log.End();
}

LogMessage& LogMessage::operator<<(const char* text) {
  m_log.Append(text == nullptr ? "<null>" : text);
  return *this;
}

LogMessage& LogMessage::operator<<(const std::string& text) {
  m_log.Append(text);
  return *this;
}

LogMessage& LogMessage::operator<<(Base base) {
  m_nBase = base;
  return *this;
}

LogMessage& LogMessage::operator<<(LineBreak) {
  m_log.Append("\r\n");
  return *this;
}

LogMessage& LogMessage::AppendInteger(int64_t value, int bits) {
  if (!m_log.Passes())
    return *this;
  std::string text;
  if (m_nBase == hex && bits == 32) {
    Format(text, "%x", static_cast<uint32_t>(value));
  } else if (m_nBase == hex) {
    Format(text, "%llx", static_cast<unsigned long long>(value));
  } else {
    Format(text, "%lld", static_cast<long long>(value));
  }
  m_log.Append(text);
  return *this;
}
