#include "diag/log_text.h"

#include "diag/format.h"

namespace {

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
constexpr const char* kFixedLines[] = {
    "the command line to perform logging where <code> is:",
    "",
    "0x0001: Log to file",
    "0x0002: Log to DebugOutputString",
    "0x0004: Log to IErrorInfo",
    "0x0008: Log to system event log",
    "0x0010: Log to console",
    "",
    "0x0000: Info, and ",
    "0x0100: Traces, and ",
    "0x0200: Warnings, and ",
    "0x0300: Errors, and ",
    "0x0400: Fatal errors, and ",
    "0x0500: Always, and ",
    "0x0600: User alerts, and ",
    "0x0700: User interventions.",
    "",
};

const std::string kStars(75, '*');

const char* Pick(const char* const* names, size_t count, size_t index) {
  return index < count ? names[index] : "";
}

}  // namespace

std::string LogDateText(const platform::SystemTime& t) {
  std::string text;
  Format(text, "%s %d %s %d", Pick(kWeekdays, 7, t.dayOfWeek), t.day,
         Pick(kMonths, 12, t.month - 1u), t.year);
  return text;
}

std::string LogTimeText(const platform::SystemTime& t) {
  std::string text;
  Format(text, "%02d:%02d:%02d:%03d", t.hour, t.minute, t.second, t.milliseconds);
  return text;
}

std::string RunningTimeText(uint64_t start, uint64_t end) {
  int32_t ms = static_cast<int32_t>(static_cast<int64_t>(end - start) / 10000);
  int days = ms / 86400000;
  int rest = ms % 86400000;
  int hours = rest / 3600000;
  rest %= 3600000;
  int minutes = rest / 60000;
  rest %= 60000;
  int seconds = rest / 1000;
  rest %= 1000;
  std::string text;
  if (days >= 1) {
    Format(text, "%d Days %02d:%02d:%02d:%03d", days, hours, minutes, seconds, rest);
  } else {
    Format(text, "%02d:%02d:%02d:%03d", hours, minutes, seconds, rest);
  }
  return text;
}

std::string LogHeaderText(const LogHeaderFacts& facts) {
  std::string code, pid;
  Format(code, "%x", facts.code);
  Format(pid, "%lx", facts.processId);
  std::string text = kStars + "\r\n";
  text += "Log started on " + LogDateText(facts.now) + " at " + LogTimeText(facts.now) +
          " local time\r\n";
  text += "Log file for Glimmerbox (https://glimmerbox.example). Put '/Logging:<code>' on \r\n";
  for (const char* line : kFixedLines)
    text += std::string(line) + "\r\n";
  text += "Current code is 0x" + code + "\r\n\r\n";
  text += "Process ID:           0x" + pid + "\r\n";
  text += "CommandLine is:       '" + facts.commandLine + "'\r\n";
  text += "Current directory is: '" + facts.currentDirectory + "'\r\n\r\n";
  return text;
}

std::string LogFooterText(const platform::SystemTime& now, const std::string& runningTime) {
  return "\r\nLog ended on " + LogDateText(now) + " at " + LogTimeText(now) +
         " local time\r\nRunning time " + runningTime + "\r\n" + kStars + "\r\n\r\n";
}
