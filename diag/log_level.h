// The eight levels of a log line, and the name each carries in the line.
#pragma once

enum LogLevel : int {
  INFO = 0,
  TRACE = 1,
  WARNING = 2,
  ERROR = 3,
  FATAL = 4,
  ALWAYS = 5,
  USERALERT = 6,
  USERINTERVENTION = 7,
};

// " TRACE: " and so on, with a blank on either side; "" for a number outside the levels.
const char* LogLevelName(int level);
