#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <tuple>

#include "import/xmltv_time.h"
#include "platform/clock.h"

namespace {

// Every field, the day of week last: "2024-03-05 12:34:56.000/2".
std::string Show(const CalendarTime& t) {
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d/%d", t.year, t.month, t.day,
           t.hour, t.minute, t.second, t.milliseconds, t.dayOfWeek);
  return text;
}
// The time Show writes, or its first fields; the others stay 0.
CalendarTime Time(const char* text) {
  CalendarTime t;
  sscanf(text, "%hu-%hu-%hu %hu:%hu:%hu.%hu/%hu", &t.year, &t.month, &t.day, &t.hour, &t.minute,
         &t.second, &t.milliseconds, &t.dayOfWeek);
  return t;
}

TEST(CalendarTime, ValidityFollowsTheGregorianCalendar) {
  for (const char* valid : {"1601-01-01", "2024-02-29", "2000-02-29", "2024-12-31 23:59:59.999",
                            "2024-01-01 00:00:00.000/9"})
    EXPECT_TRUE(Time(valid).IsValid()) << valid;
  for (const char* invalid :
       {"0-0-0", "1600-12-31", "2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-01-00",
        "2024-01-01 24:00", "2024-01-01 00:60", "2024-01-01 00:00:60", "2024-01-01 00:00:00.1000"})
    EXPECT_FALSE(Time(invalid).IsValid()) << invalid;
}

TEST(CalendarTime, TicksMatchTheCivilCalendarEveryDay) {
  using namespace std::chrono;
  int64_t ticks = 0;
  ASSERT_TRUE(Time("1970-01-01").ToTicks(&ticks));
  EXPECT_EQ(ticks, 116444736000000000);  // the Unix epoch on the 100-ns scale since 1601
  const sys_days first = year_month_day(year(1601), January, day(1));
  for (int64_t d = 0; d < 146097 * 2 + 800; ++d) {  // two 400-year cycles and a little more
    const int64_t dayTicks = d * 864000000000 + (d * 7919 % 86400000) * 10000;  // a time of day
    CalendarTime t;
    ASSERT_TRUE(t.FromTicks(dayTicks));
    year_month_day date(first + days(d));
    char expected[32];
    snprintf(expected, sizeof expected, "%04d-%02u-%02u/%u", int(date.year()),
             unsigned(date.month()), unsigned(date.day()), weekday(first + days(d)).c_encoding());
    ASSERT_EQ(Show(t).substr(0, 10) + Show(t).substr(23), expected) << "day " << d;
    ASSERT_TRUE(t.ToTicks(&ticks));
    ASSERT_EQ(ticks, dayTicks);
  }
}

// A shift that fails leaves the time as it was; one by 0 only fills in the day of week.
TEST(CalendarTime, ShiftsRollOverOrFailWithoutOverflowing) {
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {"2024-12-31 23:30", 60, "2025-01-01 00:30:00.000/3"},
      {"2024-03-01 00:30", -60, "2024-02-29 23:30:00.000/4"},
      {"1970-01-01", 0, "1970-01-01 00:00:00.000/4"},
      {"2024-03-05 12:34:56", INT32_MAX, "6107-03-29 14:41:56.000/2"},
      {"2024-03-05 12:34:56", INT32_MIN, nullptr},
      {"1601-01-01", -1, nullptr},
      {"30827-12-31 23:58:59.999", 1, "30827-12-31 23:59:59.999/5"},
      {"30827-12-31 23:59", 1, nullptr},
      {"30827-12-31 23:59:59.999", INT32_MAX, nullptr},
      {"30828-12-31", INT32_MIN, nullptr},
      {"2024-00-00", 60, nullptr},
  };
  for (const auto& [from, count, result] : cases) {
    CalendarTime t = Time(from);
    EXPECT_EQ(t.AddMinutes(count), result != nullptr) << from << " + " << count;
    EXPECT_EQ(Show(t), result ? result : Show(Time(from))) << from << " + " << count;
  }
  CalendarTime yearOnly = Time("2024");
  EXPECT_FALSE(yearOnly.UtcToLocal());
  EXPECT_EQ(Show(yearOnly), "2024-00-00 00:00:00.000/0");
}

// Parses a copy in a heap block of exactly the text's size, so that the sanitizer catches any
// read past its terminating NUL. The record starts dirty: parsing must clear it. The fields are
// written as digits: "20240305123456.000/2", the day of week last.
std::string Parse(const char* text) {
  auto copy = std::make_unique<char[]>(strlen(text) + 1);
  memcpy(copy.get(), text, strlen(text) + 1);
  CalendarTime time = Time("1-1-1 1:1:1.1/1");
  bool read = ParseXmltvTime(copy.get(), &time);
  char fields[64];
  snprintf(fields, sizeof fields, "%04d%02d%02d%02d%02d%02d.%03d/%d", time.year, time.month,
           time.day, time.hour, time.minute, time.second, time.milliseconds, time.dayOfWeek);
  const std::string cleared = "00000000000000.000/0";
  return read ? fields : std::string("fails") + (fields == cleared ? "" : fields);
}

// Digits give the fields by their count, colons between them are skipped; " UT" after the digits
// (one separator byte before it) converts from UTC with the zone's offset of now, whatever the
// date; any other suffix leaves the time local.
TEST(XmltvTime, ReadsFieldsByDigitCountAndConvertsFromUtcAfterOneSeparator) {
  const std::optional<std::string> saved =
      getenv("TZ") != nullptr ? std::optional<std::string>(getenv("TZ")) : std::nullopt;
  const std::pair<const char*, std::vector<const char*>> zones[] = {
      {"UTC0",
       {"20240305123456 +0100 = 20240305123456.000/0", "202403051234 = 20240305123400.000/0",
        "2024030512345 = 20240305123400.000/0", "20240305 = 20240305000000.000/0",
        "2024030 = 20240300000000.000/0", "2024 = 20240000000000.000/0",
        "20240305123456789 = 20240305123456.000/0", "2024-03-05 = 20240000000000.000/0",
        "20241332256199 = 20241332256199.000/0",  // as read, not checked
        "2024:03:05:12:34:56 = 20240305123456.000/0", ":20240305 12:34 = 20240305000000.000/0",
        "20240305123456:78 = 20240305123456.000/0", " = fails", "202 = fails",
        " 20240305123456 = fails", "+20240305 = fails", "a2024 = fails", "::1:2:3 = fails",
        "20240305123456 UTC = 20240305123456.000/2"}},
      {"EST5",
       {"20240305123456 UTC = 20240305073456.000/2", "20240101003000 UT = 20231231193000.000/0",
        "202403051234_UTC = 20240305073400.000/2", "20240305123456UTC = 20240305123456.000/0",
        "20240305123456 utc = 20240305123456.000/0", "20240305123456  UTC = 20240305123456.000/0",
        "20240305123456 U = 20240305123456.000/0", "20240305123456  = 20240305123456.000/0",
        "2024030512345678 UTC = 20240305123456.000/0", "2024 UTC = 20240000000000.000/0"}},
      {"IST-5:30",
       {"20240305123456 UTC = 20240305180456.000/2", "20241231203000 UTC = 20250101020000.000/3"}},
  };
  for (const auto& [zone, cases] : zones) {
    setenv("TZ", zone, 1);
    tzset();
    for (std::string c : cases) {
      size_t at = c.find(" = ");
      EXPECT_EQ(Parse(c.substr(0, at).c_str()), c.substr(at + 3)) << zone << " " << c;
    }
  }
  // Central Europe: +1 hour in winter, +2 in summer. The offset of now applies to both stamps.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  std::string winter = Parse("20240115120000 UTC"), summer = Parse("20240715120000 UTC");
  EXPECT_EQ(std::stoi(winter.substr(8, 2)), 12 + platform::CurrentUtcOffsetSeconds() / 3600);
  EXPECT_EQ(summer, winter.substr(0, 5) + "7" + winter.substr(6));
  saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
  tzset();
}

}  // namespace
