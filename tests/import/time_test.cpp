#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <memory>

#include "import/xmltv_time.h"
#include "platform/clock.h"

namespace {

// Every field, the day of week last: "2024-03-05 12:34:56.000 w2".
std::string Show(const CalendarTime& t) {
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", t.year, t.month, t.day,
           t.hour, t.minute, t.second, t.milliseconds, t.dayOfWeek);
  return text;
}
// The time Show writes, or its first fields; the others stay 0.
CalendarTime Time(const char* text) {
  CalendarTime t;
  sscanf(text, "%hu-%hu-%hu %hu:%hu:%hu.%hu w%hu", &t.year, &t.month, &t.day, &t.hour, &t.minute,
         &t.second, &t.milliseconds, &t.dayOfWeek);
  return t;
}

TEST(CalendarTime, ValidityFollowsTheGregorianCalendar) {
  for (const char* valid : {"1601-01-01", "2024-02-29", "2000-02-29", "2024-12-31 23:59:59.999",
                            "2024-01-01 00:00:00.000 w9"})
    EXPECT_TRUE(Time(valid).IsValid()) << valid;
  for (const char* invalid :
       {"0-0-0", "1600-12-31", "2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-01-00",
        "2024-01-01 24:00", "2024-01-01 00:60", "2024-01-01 00:00:60", "2024-01-01 00:00:00.1000"})
    EXPECT_FALSE(Time(invalid).IsValid()) << invalid;
}

TEST(CalendarTime, TicksMatchTheCivilCalendarEveryDayUpToTheYear30827) {
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
    snprintf(expected, sizeof expected, "%04d-%02u-%02u w%u", int(date.year()),
             unsigned(date.month()), unsigned(date.day()), weekday(first + days(d)).c_encoding());
    ASSERT_EQ(Show(t).substr(0, 10) + Show(t).substr(23), expected) << "day " << d;
    ASSERT_TRUE(t.ToTicks(&ticks));
    ASSERT_EQ(ticks, dayTicks);
  }
  CalendarTime beyond = Time("30828-01-01");
  ticks = -1;
  EXPECT_FALSE(beyond.ToTicks(&ticks));
  EXPECT_FALSE(Time("65535-12-31").ToTicks(&ticks));
  EXPECT_EQ(ticks, -1);
  EXPECT_FALSE(beyond.FromTicks(-1));
  EXPECT_FALSE(beyond.FromTicks(INT64_MAX));
  EXPECT_EQ(Show(beyond), "30828-01-01 00:00:00.000 w0");
}

// A shift that fails leaves the time as it was.
TEST(CalendarTime, ShiftsRollOverOrFailWithoutOverflowing) {
  const struct {
    const char* from;
    bool minutes;  // else milliseconds
    int32_t count;
    const char* result;  // null: the shift fails
  } cases[] = {
      {"2024-12-31 23:30", true, 60, "2025-01-01 00:30:00.000 w3"},
      {"2024-12-31 23:30", false, 3600000, "2025-01-01 00:30:00.000 w3"},
      {"2024-03-01 00:30", true, -60, "2024-02-29 23:30:00.000 w4"},
      {"2023-03-01 00:30", false, -3600000, "2023-02-28 23:30:00.000 w2"},
      {"1900-03-01 00:30", true, -60, "1900-02-28 23:30:00.000 w3"},
      {"2024-01-01 00:00:00.005", false, -6, "2023-12-31 23:59:59.999 w0"},
      {"1970-01-01", false, 0, "1970-01-01 00:00:00.000 w4"},
      {"2024-03-05 12:34:56", true, INT32_MAX, "6107-03-29 14:41:56.000 w2"},
      {"2024-03-05 12:34:56", false, INT32_MIN, "2024-02-09 16:03:32.352 w5"},
      {"2024-03-05 12:34:56", true, INT32_MIN, nullptr},
      {"1601-01-01", false, -1, nullptr},
      {"30827-12-31 23:59:59.999", false, 0, "30827-12-31 23:59:59.999 w5"},
      {"30827-12-31 23:59:59.999", false, 1, nullptr},
      {"30827-12-31 23:59:59.999", true, INT32_MAX, nullptr},
      {"30828-12-31", true, INT32_MIN, nullptr},
      {"2024-00-00", true, 60, nullptr},
      {"2024-00-00", false, 0, nullptr},
      {"2024-05-01 24:00", true, -60, nullptr},
  };
  for (const auto& c : cases) {
    CalendarTime t = Time(c.from);
    EXPECT_EQ(c.minutes ? t.AddMinutes(c.count) : t.AddMilliseconds(c.count), c.result != nullptr)
        << c.from << " + " << c.count;
    EXPECT_EQ(Show(t), c.result ? c.result : Show(Time(c.from))) << c.from << " + " << c.count;
  }
  CalendarTime yearOnly = Time("2024");
  EXPECT_FALSE(yearOnly.UtcToLocal());
  EXPECT_EQ(Show(yearOnly), "2024-00-00 00:00:00.000 w0");
}

// By the fields as read, unvalidated ones too; the day of week is ignored.
TEST(CalendarTime, OrdersByFieldsIgnoringTheDayOfWeek) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"2024-06-01 12:00", "2024-06-01 12:00:00.000 w6", true},
      {"2024-06-01 12:00:00.000 w6", "2024-06-01 12:00", true},
      {"2024-06-01 12:00", "0-0-0", false},
      {"0-0-0", "2024-06-01 12:00", true},
      {"2024-06-01 12:00", "2024-06-01 12:00:00.001", true},
      {"2024-06-01 12:00:00.001", "2024-06-01 12:00", false},
      {"2024-07-01", "2024-06-30 23:59", false},
      {"2024-13-01", "2024-12-31", false},
  };
  for (const auto& [left, right, lessOrEqual] : cases)
    EXPECT_EQ(Time(left) <= Time(right), lessOrEqual) << left << " <= " << right;
}

// Parses a copy in a heap block of exactly the text's size, so that the sanitizer catches any
// read past its terminating NUL. The record starts dirty: parsing must clear it.
std::string Parse(const char* text) {
  auto copy = std::make_unique<char[]>(strlen(text) + 1);
  memcpy(copy.get(), text, strlen(text) + 1);
  CalendarTime time = Time("1-1-1 1:1:1.1 w1");
  return ParseXmltvTime(copy.get(), &time) ? Show(time) : "fails " + Show(time);
}

// Digits give the fields by their count, colons between them are skipped; " UT" after the digits
// (one separator byte before it) converts from UTC with the zone's offset of now, whatever the
// date; any other suffix leaves the time local.
TEST(XmltvTime, ReadsFieldsByDigitCountAndConvertsFromUtcAfterOneSeparator) {
  const char* zone = getenv("TZ");
  const std::string saved = zone != nullptr ? zone : "";
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"UTC0", "20240305123456 +0100", "2024-03-05 12:34:56.000 w0"},
      {"UTC0", "202403051234", "2024-03-05 12:34:00.000 w0"},
      {"UTC0", "2024030512345", "2024-03-05 12:34:00.000 w0"},
      {"UTC0", "20240305", "2024-03-05 00:00:00.000 w0"},
      {"UTC0", "2024030", "2024-03-00 00:00:00.000 w0"},
      {"UTC0", "2024", "2024-00-00 00:00:00.000 w0"},
      {"UTC0", "20240305123456789", "2024-03-05 12:34:56.000 w0"},
      {"UTC0", "20241332256199", "2024-13-32 25:61:99.000 w0"},  // as read, not checked
      {"UTC0", "2024:03:05:12:34:56", "2024-03-05 12:34:56.000 w0"},
      {"UTC0", ":20240305 12:34", "2024-03-05 00:00:00.000 w0"},
      {"UTC0", "20240305123456:78", "2024-03-05 12:34:56.000 w0"},
      {"UTC0", "2024-03-05", "2024-00-00 00:00:00.000 w0"},
      {"UTC0", "", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", "202", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", " 20240305123456", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", "+20240305", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", "a2024", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", "::1:2:3", "fails 0000-00-00 00:00:00.000 w0"},
      {"UTC0", "20240305123456 UTC", "2024-03-05 12:34:56.000 w2"},
      {"EST5", "20240305123456 UTC", "2024-03-05 07:34:56.000 w2"},
      {"EST5", "20240101003000 UT", "2023-12-31 19:30:00.000 w0"},
      {"EST5", "202403051234_UTC", "2024-03-05 07:34:00.000 w2"},
      {"IST-5:30", "20240305123456 UTC", "2024-03-05 18:04:56.000 w2"},
      {"IST-5:30", "20241231203000 UTC", "2025-01-01 02:00:00.000 w3"},
      {"EST5", "20240305123456UTC", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "20240305123456 +0000", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "20240305123456 utc", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "20240305123456  UTC", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "20240305123456 U", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "20240305123456 ", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "2024030512345678 UTC", "2024-03-05 12:34:56.000 w0"},
      {"EST5", "2024 UTC", "2024-00-00 00:00:00.000 w0"},
  };
  for (const auto& [zone, text, time] : cases) {
    setenv("TZ", zone, 1);
    tzset();
    EXPECT_EQ(Parse(text), time) << zone << " " << text;
  }
  // Central Europe: +1 hour in winter, +2 in summer. The offset of now applies to both stamps.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  std::string winter = Parse("20240115120000 UTC"), summer = Parse("20240715120000 UTC");
  EXPECT_EQ(std::stoi(winter.substr(11, 2)), 12 + platform::CurrentUtcOffsetSeconds() / 3600);
  EXPECT_EQ(summer, winter.substr(0, 6) + "7" + winter.substr(7));
  if (zone != nullptr)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
