#include "platform/clock.h"

#include <time.h>

namespace platform {
namespace {

constexpr uint64_t kTicksFrom1601To1970 = 116444736000000000ULL;

struct timespec Now() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts;
}

}  // namespace

SystemTime GetLocalTime() {
  struct timespec ts = Now();
  struct tm tm;
  localtime_r(&ts.tv_sec, &tm);
  SystemTime t;
  t.year = static_cast<uint16_t>(tm.tm_year + 1900);
  t.month = static_cast<uint16_t>(tm.tm_mon + 1);
  t.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  t.day = static_cast<uint16_t>(tm.tm_mday);
  t.hour = static_cast<uint16_t>(tm.tm_hour);
  t.minute = static_cast<uint16_t>(tm.tm_min);
  t.second = static_cast<uint16_t>(tm.tm_sec);
  t.milliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
  return t;
}

uint64_t GetSystemTimeAsFileTime() {
  struct timespec ts = Now();
  return kTicksFrom1601To1970 + static_cast<uint64_t>(ts.tv_sec) * 10000000ULL +
         static_cast<uint64_t>(ts.tv_nsec) / 100;
}

int64_t CurrentUtcOffsetSeconds() {
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  return tm.tm_gmtoff;
}

}  // namespace platform
