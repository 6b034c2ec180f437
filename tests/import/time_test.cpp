#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

#include "import/xmltv_time.h"
#include "platform/clock.h"

namespace {

CalendarTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                  int milliseconds = 0) {
  CalendarTime t;
  t.year = uint16_t(year);
  t.month = uint16_t(month);
  t.day = uint16_t(day);
  t.hour = uint16_t(hour);
  t.minute = uint16_t(minute);
  t.second = uint16_t(second);
  t.milliseconds = uint16_t(milliseconds);
  return t;
}

// Every field: "2024-03-05 12:34:56.000 w2", the day of week last.
std::string Show(const CalendarTime& t) {
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", t.year, t.month, t.day,
           t.hour, t.minute, t.second, t.milliseconds, t.dayOfWeek);
  return text;
}

TEST(CalendarTime, ValidityFollowsTheGregorianCalendar) {
  CalendarTime anyWeekday = Make(2024, 1, 1);
  anyWeekday.dayOfWeek = 9;
  const std::pair<CalendarTime, bool> cases[] = {
      {CalendarTime(), false},
      {Make(1601, 1, 1), true},
      {Make(1600, 12, 31), false},
      {Make(2024, 2, 29), true},
      {Make(2000, 2, 29), true},
      {Make(2023, 2, 29), false},
      {Make(1900, 2, 29), false},
      {Make(2024, 4, 31), false},
      {Make(2024, 13, 1), false},
      {Make(2024, 1, 0), false},
      {Make(2024, 1, 1, 24), false},
      {Make(2024, 1, 1, 0, 60), false},
      {Make(2024, 1, 1, 0, 0, 60), false},
      {Make(2024, 1, 1, 0, 0, 0, 1000), false},
      {Make(2024, 12, 31, 23, 59, 59, 999), true},
      {anyWeekday, true},
  };
  for (const auto& [time, valid] : cases)
    EXPECT_EQ(time.IsValid(), valid) << Show(time);
}

TEST(CalendarTime, TicksMatchTheCivilCalendarEveryDayAndStopAtTheirRange) {
  using namespace std::chrono;
  int64_t ticks = 0;
  ASSERT_TRUE(Make(1970, 1, 1).ToTicks(&ticks));
  EXPECT_EQ(ticks, 116444736000000000);  // the Unix epoch on the 100-ns scale since 1601

  constexpr int64_t kTicksPerDay = 864000000000;
  const sys_days first = year_month_day(year(1601), January, day(1));
  for (int64_t d = 0; d < 146097 * 2 + 800; ++d) {  // two 400-year cycles and a little more
    const int64_t dayTicks = d * kTicksPerDay + (d * 7919 % 86400000) * 10000;  // a time of day
    CalendarTime t;
    ASSERT_TRUE(t.FromTicks(dayTicks));
    year_month_day expected(first + days(d));
    ASSERT_EQ(std::make_tuple(int(t.year), unsigned(t.month), unsigned(t.day), t.dayOfWeek),
              std::make_tuple(int(expected.year()), unsigned(expected.month()),
                              unsigned(expected.day()), weekday(first + days(d)).c_encoding()))
        << "day " << d;
    ASSERT_TRUE(t.ToTicks(&ticks));
    ASSERT_EQ(ticks, dayTicks);
  }

  // Valid calendar dates beyond the year 30827 have no ticks.
  CalendarTime beyond = Make(30828, 1, 1);
  ticks = -1;
  EXPECT_FALSE(beyond.ToTicks(&ticks));
  EXPECT_FALSE(Make(65535, 12, 31).ToTicks(&ticks));
  EXPECT_EQ(ticks, -1);
  EXPECT_FALSE(beyond.FromTicks(-1));
  EXPECT_FALSE(beyond.FromTicks(INT64_MAX));
  EXPECT_EQ(Show(beyond), Show(Make(30828, 1, 1)));
}

// A shift that fails leaves the time as it was.
TEST(CalendarTime, ShiftsRollOverOrFailWithoutOverflowing) {
  struct Case {
    CalendarTime from;
    bool minutes;  // else milliseconds
    int32_t count;
    const char* result;  // null: the shift fails
  } cases[] = {
      {Make(2024, 12, 31, 23, 30), true, 60, "2025-01-01 00:30:00.000 w3"},
      {Make(2024, 12, 31, 23, 30), false, 3600000, "2025-01-01 00:30:00.000 w3"},
      {Make(2024, 3, 1, 0, 30), true, -60, "2024-02-29 23:30:00.000 w4"},
      {Make(2023, 3, 1, 0, 30), false, -3600000, "2023-02-28 23:30:00.000 w2"},
      {Make(1900, 3, 1, 0, 30), true, -60, "1900-02-28 23:30:00.000 w3"},
      {Make(2024, 1, 1, 0, 0, 0, 5), false, -6, "2023-12-31 23:59:59.999 w0"},
      {Make(1970, 1, 1), false, 0, "1970-01-01 00:00:00.000 w4"},
      {Make(2024, 3, 5, 12, 34, 56), true, INT32_MAX, "6107-03-29 14:41:56.000 w2"},
      {Make(2024, 3, 5, 12, 34, 56), false, INT32_MIN, "2024-02-09 16:03:32.352 w5"},
      {Make(2024, 3, 5, 12, 34, 56), true, INT32_MIN, nullptr},
      {Make(1601, 1, 1), false, -1, nullptr},
      {Make(30827, 12, 31, 23, 59, 59, 999), false, 0, "30827-12-31 23:59:59.999 w5"},
      {Make(30827, 12, 31, 23, 59, 59, 999), false, 1, nullptr},
      {Make(30827, 12, 31, 23, 59, 59, 999), true, INT32_MAX, nullptr},
      {Make(30828, 12, 31), true, INT32_MIN, nullptr},
      {Make(2024, 0, 0), true, 60, nullptr},
      {Make(2024, 0, 0), false, 0, nullptr},
      {Make(2024, 5, 1, 24), true, -60, nullptr},
  };
  for (const Case& c : cases) {
    CalendarTime t = c.from;
    bool ok = c.minutes ? t.AddMinutes(c.count) : t.AddMilliseconds(c.count);
    EXPECT_EQ(ok, c.result != nullptr) << Show(c.from) << " + " << c.count;
    EXPECT_EQ(Show(t), c.result ? c.result : Show(c.from)) << Show(c.from) << " + " << c.count;
  }
  CalendarTime yearOnly = Make(2024, 0, 0);
  EXPECT_FALSE(yearOnly.UtcToLocal());
  EXPECT_EQ(Show(yearOnly), Show(Make(2024, 0, 0)));
}

TEST(CalendarTime, OrdersByFieldsIgnoringTheDayOfWeek) {
  CalendarTime noon = Make(2024, 6, 1, 12);
  CalendarTime sameNoon = noon;
  sameNoon.dayOfWeek = 6;
  const std::tuple<CalendarTime, CalendarTime, bool> cases[] = {
      {noon, sameNoon, true},
      {sameNoon, noon, true},
      {noon, CalendarTime(), false},
      {CalendarTime(), noon, true},
      {noon, Make(2024, 6, 1, 12, 0, 0, 1), true},
      {Make(2024, 6, 1, 12, 0, 0, 1), noon, false},
      {Make(2024, 7, 1), Make(2024, 6, 30, 23, 59), false},
      {Make(2024, 13, 1), Make(2024, 12, 31), false},  // unvalidated fields compare as read
  };
  for (const auto& [left, right, lessOrEqual] : cases)
    EXPECT_EQ(left <= right, lessOrEqual) << Show(left) << " <= " << Show(right);
}

// Parses a copy in a heap block of exactly the text's size, so that the sanitizer catches any
// read past its terminating NUL. The record starts dirty: parsing must clear it.
std::string Parse(const char* text) {
  auto copy = std::make_unique<char[]>(strlen(text) + 1);
  memcpy(copy.get(), text, strlen(text) + 1);
  CalendarTime time = Make(1, 1, 1);
  time.dayOfWeek = 1;
  return ParseXmltvTime(copy.get(), &time) ? Show(time) : "fails " + Show(time);
}

TEST(XmltvTime, ReadsFieldsByDigitCountSkippingColonsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"20240305123456 +0100", "2024-03-05 12:34:56.000 w0"},
      {"20240305123456", "2024-03-05 12:34:56.000 w0"},
      {"202403051234", "2024-03-05 12:34:00.000 w0"},
      {"2024030512345", "2024-03-05 12:34:00.000 w0"},
      {"20240305", "2024-03-05 00:00:00.000 w0"},
      {"2024030", "2024-03-00 00:00:00.000 w0"},
      {"2024", "2024-00-00 00:00:00.000 w0"},
      {"20240305123456789", "2024-03-05 12:34:56.000 w0"},
      {"20241332256199", "2024-13-32 25:61:99.000 w0"},  // stored as read, not checked
      {"2024:03:05:12:34:56", "2024-03-05 12:34:56.000 w0"},
      {":20240305 12:34", "2024-03-05 00:00:00.000 w0"},
      {"20240305123456:78", "2024-03-05 12:34:56.000 w0"},
      {"2024-03-05", "2024-00-00 00:00:00.000 w0"},
      {"", "fails 0000-00-00 00:00:00.000 w0"},
      {"202", "fails 0000-00-00 00:00:00.000 w0"},
      {" 20240305123456", "fails 0000-00-00 00:00:00.000 w0"},
      {"+20240305", "fails 0000-00-00 00:00:00.000 w0"},
      {"a2024", "fails 0000-00-00 00:00:00.000 w0"},
      {"::1:2:3", "fails 0000-00-00 00:00:00.000 w0"},
  };
  for (const auto& [text, time] : cases)
    EXPECT_EQ(Parse(text), time) << text;
}

class XmltvUtcTime : public ::testing::Test {
 protected:
  static void UseZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_ =
      getenv("TZ") ? std::optional<std::string>(getenv("TZ")) : std::nullopt;
};

// " UT" after the digits, one separator byte before it, converts with the zone's offset of now;
// any other suffix leaves the time local.
TEST_F(XmltvUtcTime, ConvertsAfterOneSeparatorOnly) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
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
    UseZone(zone);
    EXPECT_EQ(Parse(text), time) << zone << " " << text;
  }
}

TEST_F(XmltvUtcTime, UsesOneOffsetWhateverTheDateConverted) {
  // Central Europe: +1 hour in winter, +2 in summer. The offset of now applies to both stamps.
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  int64_t offsetMinutes = platform::CurrentUtcOffsetSeconds() / 60;
  ASSERT_TRUE(offsetMinutes == 60 || offsetMinutes == 120);
  for (const char* text : {"20240115120000 UTC", "20240715120000 UTC"}) {
    std::string time = Parse(text);
    EXPECT_EQ(std::stoi(time.substr(11, 2)) * 60 + std::stoi(time.substr(14, 2)),
              12 * 60 + offsetMinutes)
        << text;
  }
}

}  // namespace
