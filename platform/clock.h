// Wall-clock time: local calendar time and system time on the 100-ns scale since 1601.
#pragma once

#include <cstdint>

namespace platform {

// Calendar fields in the order of the Windows SYSTEMTIME record.
struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1 to 12
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// The local time now, milliseconds included.
SystemTime GetLocalTime();

// The time now as 100-ns ticks since 1601-01-01 00:00:00 UTC.
uint64_t GetSystemTimeAsFileTime();

// Seconds to add to UTC to get local time, as in effect now (daylight saving included).
int64_t CurrentUtcOffsetSeconds();

}  // namespace platform
