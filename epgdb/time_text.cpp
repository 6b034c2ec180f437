#include "epgdb/time_text.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/clock.h"

namespace epgdb {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = yoe + era * 400 + (*m <= 2);
}

// Writes the decimal digits of `value` at `out`, with leading zeros up to `width` digits, and
// returns the end of what it wrote.
char* PutPadded(char* out, unsigned value, unsigned width) {
  unsigned digits = 1;
  for (unsigned rest = value; rest >= 10; rest /= 10)
    ++digits;
  unsigned count = std::max(width, digits);
  for (unsigned i = count; i > 0; --i, value /= 10)
    out[i - 1] = char('0' + value % 10);
  return out + count;
}

// The number written at text[at, at + width), or -1 when a byte there is not a digit.
int ReadNumber(const std::string& text, size_t at, size_t width) {
  int value = 0;
  for (size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

bool IsCalendarTime(const Value& time) {
  const auto* text = std::get_if<std::string>(&time);
  constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text == nullptr || text->size() != kShape.size())
    return false;
  for (size_t i : {4, 7, 10, 13, 16}) {
    if ((*text)[i] != kShape[i])
      return false;
  }
  int year = ReadNumber(*text, 0, 4), month = ReadNumber(*text, 5, 2),
      day = ReadNumber(*text, 8, 2);
  int hour = ReadNumber(*text, 11, 2), minute = ReadNumber(*text, 14, 2);
  int second = ReadNumber(*text, 17, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59)
    return false;
  // The day must exist in its month: the first of the next month is the following day.
  return DaysFromCivil(year, month, day) < DaysFromCivil(year, month + 1, 1);
}

void TimeTextInto(const TimeFields& time, std::string* out) {
  char text[40];  // six fields of at most five digits and five separators
  char* end = PutPadded(text, time[0], 4);
  for (size_t i = 1; i < time.size(); ++i) {
    *end++ = "--- ::"[i];
    end = PutPadded(end, time[i], 2);
  }
  out->assign(text, end);
}

std::string TimeText(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                     uint16_t second) {
  std::string text;
  TimeTextInto({year, month, day, hour, minute, second}, &text);
  return text;
}

std::optional<std::string> LocalTimeDaysAgo(int32_t days) {
  platform::SystemTime now = platform::GetLocalTime();
  int64_t y = 0, m = 0, d = 0;
  CivilFromDays(DaysFromCivil(now.year, now.month, now.day) - days, &y, &m, &d);
  if (y < 1 || y > 9999)
    return std::nullopt;
  return TimeText(uint16_t(y), uint16_t(m), uint16_t(d), now.hour, now.minute, now.second);
}

}  // namespace epgdb
