// Where log lines go and from which level on: decided once, when the log is created, from the
// /Logging:<code> switch, the inherited `logging` environment variable and an attached debugger.
#pragma once

#include <cstdint>
#include <string>

#include "diag/os_dep_fn.h"

// Bits of the logging code: the low byte selects sinks, the second byte is the threshold level.
inline constexpr uint32_t kLogToFile = 0x01;
inline constexpr uint32_t kLogToDebugger = 0x02;
inline constexpr uint32_t kLogToErrorInfo = 0x04;
inline constexpr uint32_t kSinkMask = 0xFF;

// Reads a code as hexadecimal: leading white space, an optional "0x", then hex digits.
uint32_t ParseLoggingCode(const char* text);

// Finds the first "/logging:" or "-logging:" (any case) in the command line. On success stores
// the position of its '/' or '-' and returns true.
bool FindLoggingSwitch(const std::string& commandLine, size_t* position);

// Removes the switch at `position` in place: its characters up to the first white space, and the
// white space after it.
void RemoveLoggingSwitch(std::string& commandLine, size_t position);

struct LogSettings {
  LogSettings() : m_fnIsDebuggerPresent("kernel32.dll", "IsDebuggerPresent") {}

  // Decides the code from the switch in `commandLine` (removed from it), else from the `logging`
  // variable (then not owner), and publishes it in the variable; names the file sink after
  // `modulePath` (empty: file sink off).
  void Read(std::string& commandLine, const std::string& modulePath, bool debuggerAttached);

  // Asks the system, through the run-time link, whether a debugger is attached.
  bool DebuggerPresent();

  TOSDepFn<int (*)()> m_fnIsDebuggerPresent;
  uint32_t m_nCode = 0x100;
  std::string m_strFileName;
  std::string m_strCommandLine;
  bool m_bOwner = true;
};
