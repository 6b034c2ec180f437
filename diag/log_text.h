// The fixed texts of a log file: the header that opens one process's output, the footer that
// closes it, and their date, time and running-time parts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

// "Monday 7 December 2026": English weekday, day of month, English month, year.
std::string LogDateText(const platform::SystemTime& t);

// "14:03:07:042".
std::string LogTimeText(const platform::SystemTime& t);

// Running time between two file times: "1 Days 01:01:01:001", or "00:01:01:001" under a day.
std::string RunningTimeText(uint64_t start, uint64_t end);

struct LogHeaderFacts {
  platform::SystemTime now;
  uint32_t code = 0;
  unsigned long processId = 0;
  std::string commandLine;
  std::string currentDirectory;
};

// The whole header, CR LF after every line, ending with an empty line.
std::string LogHeaderText(const LogHeaderFacts& facts);

// The whole footer, from its leading CR LF to the two closing CR LF.
std::string LogFooterText(const platform::SystemTime& now, const std::string& runningTime);
