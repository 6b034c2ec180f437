#include "import/calendar_time.h"

#include <tuple>

#include "platform/clock.h"

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerSecond = 1000 * kTicksPerMillisecond;
constexpr int64_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr int64_t kTicksPerDay = 24 * 60 * kTicksPerMinute;

// The Gregorian calendar repeats every 400 years, and 1601 opens such a cycle: its centuries end
// in the years 1700, 1800, 1900 and 2000, of which only the last is a leap year.
constexpr int64_t kDaysPer400Years = 146097;
constexpr int64_t kDaysPer100Years = 36524;
constexpr int64_t kDaysPer4Years = 1461;
constexpr int64_t kDaysPerYear = 365;

constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;  // the last whole year the 100-ns scale holds in 63 bits

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr int64_t DaysBeforeYear(int64_t year) {
  int64_t y = year - kFirstYear;
  return y * kDaysPerYear + y / 4 - y / 100 + y / 400;
}

constexpr int64_t kEndTicks = DaysBeforeYear(kLastYear + 1) * kTicksPerDay;

// Splits a day count since 1601-01-01 into the year and the 0-based day of that year.
void SplitDays(int64_t days, int* year, int* dayOfYear) {
  int64_t cycles = days / kDaysPer400Years;
  days %= kDaysPer400Years;
  int64_t centuries = days / kDaysPer100Years;
  if (centuries == 4)
    centuries = 3;  // the last day of a cycle, 31 December of a leap century
  days -= centuries * kDaysPer100Years;
  int64_t quads = days / kDaysPer4Years;
  days %= kDaysPer4Years;
  int64_t years = days / kDaysPerYear;
  if (years == 4)
    years = 3;  // 31 December of the leap year closing the four
  days -= years * kDaysPerYear;
  *year = static_cast<int>(kFirstYear + cycles * 400 + centuries * 100 + quads * 4 + years);
  *dayOfYear = static_cast<int>(days);
}

}  // namespace

bool CalendarTime::IsValid() const {
  return year >= kFirstYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month) && hour <= 23 && minute <= 59 && second <= 59 &&
         milliseconds <= 999;
}

bool CalendarTime::ToTicks(int64_t* ticks) const {
  if (!IsValid() || year > kLastYear)
    return false;
  int64_t days = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m)
    days += DaysInMonth(year, m);
  days += day - 1;
  *ticks = days * kTicksPerDay + hour * kTicksPerMinute * 60 + minute * kTicksPerMinute +
           second * kTicksPerSecond + milliseconds * kTicksPerMillisecond;
  return true;
}

bool CalendarTime::FromTicks(int64_t ticks) {
  if (ticks < 0 || ticks >= kEndTicks)
    return false;
  int64_t days = ticks / kTicksPerDay;
  int64_t rest = ticks % kTicksPerDay;
  int y, dayOfYear;
  SplitDays(days, &y, &dayOfYear);
  int m = 1;
  while (dayOfYear >= DaysInMonth(y, m))
    dayOfYear -= DaysInMonth(y, m++);
  year = static_cast<uint16_t>(y);
  month = static_cast<uint16_t>(m);
  day = static_cast<uint16_t>(dayOfYear + 1);
  dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  hour = static_cast<uint16_t>(rest / (60 * kTicksPerMinute));
  minute = static_cast<uint16_t>(rest / kTicksPerMinute % 60);
  second = static_cast<uint16_t>(rest / kTicksPerSecond % 60);
  milliseconds = static_cast<uint16_t>(rest / kTicksPerMillisecond % 1000);
  return true;
}

bool CalendarTime::AddMinutes(int32_t minutes) {
  return AddScaled(minutes, kTicksPerMinute);
}

bool CalendarTime::UtcToLocal() {
  return AddScaled(platform::CurrentUtcOffsetSeconds(), kTicksPerSecond);
}

bool CalendarTime::AddScaled(int64_t count, int64_t ticksPerUnit) {
  int64_t ticks, shift, shifted;
  if (!ToTicks(&ticks))
    return false;
  if (__builtin_mul_overflow(count, ticksPerUnit, &shift))
    return false;
  if (__builtin_add_overflow(ticks, shift, &shifted))
    return false;
  return FromTicks(shifted);
}

bool operator<=(const CalendarTime& left, const CalendarTime& right) {
  return std::tie(left.year, left.month, left.day, left.hour, left.minute, left.second,
                  left.milliseconds) <= std::tie(right.year, right.month, right.day, right.hour,
                                                 right.minute, right.second, right.milliseconds);
}
