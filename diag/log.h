// The process-wide log. A report is one line at one of eight levels; the logging code decides
// whether a line is composed at all and where it goes (file, debugger output, COM error
// information); USERALERT and USERINTERVENTION lines always reach the user as message boxes.
//
//   Log& log = Log::Instance();
//   if (log.IsOn(TRACE)) log.Begin(TRACE) << "Removing entries older than " << days << " days";
//
// The line is emitted when the LogMessage returned by Begin goes out of scope.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>

#include "diag/log_level.h"
#include "diag/log_settings.h"

class Log;

class LogMessage {
 public:
  enum Base { dec = 10, hex = 16 };
  struct LineBreak {};
  static constexpr LineBreak crlf{};

  explicit LogMessage(Log& log) : m_log(log) {}
  LogMessage(const LogMessage&) = delete;
  LogMessage& operator=(const LogMessage&) = delete;
  ~LogMessage();

  // A null text appends "<null>".
  LogMessage& operator<<(const char* text);
  LogMessage& operator<<(const std::string& text);
  // Integers in the current base; hex is lower case, negatives as two's complement of their width.
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) LogMessage& operator<<(T value) {
    if constexpr (sizeof(T) <= 4) {
      return AppendInteger(static_cast<int32_t>(value), 32);
    } else {
      return AppendInteger(static_cast<int64_t>(value), 64);
    }
  }
  LogMessage& operator<<(Base base);
  LogMessage& operator<<(LineBreak);

 private:
  LogMessage& AppendInteger(int64_t value, int bits);

  Log& m_log;
  int m_nBase = dec;
};

class Log {
 public:
  // The log, created on first use. Creating it reads the switches, removes the /Logging: switch
  // from the process command line and writes the header. Throws std::logic_error("Dead
  // Reference Detected") once the log has been destroyed at process exit.
  static Log& Instance();

  // Creates a log over a given command line (changed in place) and program path; the process
  // log uses the process command line and the program file. Tests create their own.
  Log(std::string& commandLine, const std::string& modulePath, bool debuggerAttached);
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;
  // Writes the footer when this process owns the log.
  ~Log();

  // True when a line of this level would be written somewhere.
  bool IsOn(int level) const;
  // Starts a line; what is appended is dropped unless the line passes.
  LogMessage Begin(int level);

  uint32_t Code() const { return m_settings.m_nCode; }
  bool IsOwner() const { return m_settings.m_bOwner; }
  const std::string& FileName() const { return m_settings.m_strFileName; }

 private:
  friend class LogMessage;
  bool Passes() const;
  void Append(const std::string& text);
  void End();
  void Emit(const std::string& text, int level, size_t prefixLength);
  void ShowBox(const std::string& text, int level);

  std::string m_strLine;
  size_t m_nPrefixLength = 0;
  LogSettings m_settings;
  bool m_bPasses = false;
  int m_nLevel = INFO;
  TOSDepFn<void (*)(char const*)> m_fnTrace;
  uint64_t m_nStartTime = 0;
  std::string m_strModulePath;
};

// Writes one line of the given parts at `level` when the log takes that level. The parts are
// evaluated before the test; callers with costly parts test IsOn themselves.
template <typename... Parts>
void LogLine(int level, const Parts&... parts) {
  Log& log = Log::Instance();
  if (!log.IsOn(level))
    return;
  LogMessage message = log.Begin(level);
  (message << ... << parts);
}
