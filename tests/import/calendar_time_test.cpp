#include "import/calendar_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <tuple>

namespace {

CalendarTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                  int milliseconds = 0) {
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  t.milliseconds = static_cast<uint16_t>(milliseconds);
  return t;
}

auto Fields(const CalendarTime& t) {
  return std::make_tuple(t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second,
                         t.milliseconds);
}

TEST(CalendarTime, ValidityFollowsTheGregorianCalendar) {
  EXPECT_FALSE(CalendarTime().IsValid());
  EXPECT_TRUE(Make(1601, 1, 1).IsValid());
  EXPECT_FALSE(Make(1600, 12, 31).IsValid());
  EXPECT_TRUE(Make(2024, 2, 29).IsValid());
  EXPECT_TRUE(Make(2000, 2, 29).IsValid());
  EXPECT_FALSE(Make(2023, 2, 29).IsValid());
  EXPECT_FALSE(Make(1900, 2, 29).IsValid());
  EXPECT_FALSE(Make(2024, 4, 31).IsValid());
  EXPECT_FALSE(Make(2024, 13, 1).IsValid());
  EXPECT_FALSE(Make(2024, 1, 0).IsValid());
  EXPECT_FALSE(Make(2024, 1, 1, 24).IsValid());
  EXPECT_FALSE(Make(2024, 1, 1, 0, 60).IsValid());
  EXPECT_FALSE(Make(2024, 1, 1, 0, 0, 60).IsValid());
  EXPECT_FALSE(Make(2024, 1, 1, 0, 0, 0, 1000).IsValid());
  EXPECT_TRUE(Make(2024, 12, 31, 23, 59, 59, 999).IsValid());

  CalendarTime weekday = Make(2024, 1, 1);
  weekday.dayOfWeek = 9;  // ignored
  EXPECT_TRUE(weekday.IsValid());
}

TEST(CalendarTime, TicksMatchTheCivilCalendarEveryDay) {
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
    weekday expectedDay(first + days(d));
    ASSERT_EQ(std::make_tuple(int(t.year), unsigned(t.month), unsigned(t.day), t.dayOfWeek),
              std::make_tuple(int(expected.year()), unsigned(expected.month()),
                              unsigned(expected.day()), expectedDay.c_encoding()))
        << "day " << d;
    ASSERT_TRUE(t.ToTicks(&ticks));
    ASSERT_EQ(ticks, dayTicks);
  }
}

TEST(CalendarTime, FillsInTheDayOfWeek) {
  struct {
    CalendarTime time;
    uint16_t dayOfWeek;
  } cases[] = {{Make(1601, 1, 1), 1},  {Make(1970, 1, 1), 4}, {Make(2000, 1, 1), 6},
               {Make(2024, 2, 29), 4}, {Make(2100, 3, 1), 1}, {Make(9999, 12, 31), 5}};
  for (auto& c : cases) {
    EXPECT_TRUE(c.time.AddMilliseconds(0));
    EXPECT_EQ(c.time.dayOfWeek, c.dayOfWeek) << c.time.year;
  }
}

TEST(CalendarTime, ShiftsRollOverDaysMonthsAndYears) {
  CalendarTime t = Make(2024, 12, 31, 23, 30);
  EXPECT_TRUE(t.AddMinutes(60));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2025, 1, 3, 1, 0, 30, 0, 0}));

  t = Make(2024, 12, 31, 23, 30);
  EXPECT_TRUE(t.AddMilliseconds(60 * 60000));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2025, 1, 3, 1, 0, 30, 0, 0}));

  t = Make(2024, 3, 1, 0, 30);
  EXPECT_TRUE(t.AddMinutes(-60));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2024, 2, 4, 29, 23, 30, 0, 0}));

  t = Make(2023, 3, 1, 0, 30);
  EXPECT_TRUE(t.AddMilliseconds(-60 * 60000));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2023, 2, 2, 28, 23, 30, 0, 0}));

  t = Make(1900, 3, 1, 0, 30);
  EXPECT_TRUE(t.AddMinutes(-60));
  EXPECT_EQ(std::make_tuple(t.month, t.day), std::make_tuple(2, 28));

  t = Make(2024, 1, 1, 0, 0, 0, 5);
  EXPECT_TRUE(t.AddMilliseconds(-6));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2023, 12, 0, 31, 23, 59, 59, 999}));
}

TEST(CalendarTime, InvalidTimesAreNotShifted) {
  CalendarTime yearOnly = Make(2024, 0, 0);
  yearOnly.dayOfWeek = 3;
  CalendarTime before = yearOnly;
  EXPECT_FALSE(yearOnly.AddMinutes(60));
  EXPECT_FALSE(yearOnly.AddMilliseconds(0));
  EXPECT_FALSE(yearOnly.UtcToLocal());
  EXPECT_EQ(Fields(yearOnly), Fields(before));

  CalendarTime hour24 = Make(2024, 5, 1, 24);
  EXPECT_FALSE(hour24.AddMinutes(-60));
  EXPECT_EQ(hour24.hour, 24);
}

TEST(CalendarTime, HugeShiftsFailInsteadOfOverflowing) {
  CalendarTime t = Make(2024, 3, 5, 12, 34, 56);
  EXPECT_TRUE(t.AddMinutes(INT32_MAX));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{6107, 3, 2, 29, 14, 41, 56, 0}));

  t = Make(2024, 3, 5, 12, 34, 56);
  EXPECT_TRUE(t.AddMilliseconds(INT32_MIN));
  EXPECT_EQ(Fields(t), Fields(CalendarTime{2024, 2, 5, 9, 16, 3, 32, 352}));

  // Results before 1601 or after 30827 leave the time as it was.
  const CalendarTime early = Make(2024, 3, 5, 12, 34, 56);
  t = early;
  EXPECT_FALSE(t.AddMinutes(INT32_MIN));
  EXPECT_EQ(Fields(t), Fields(early));

  t = Make(1601, 1, 1);
  EXPECT_FALSE(t.AddMilliseconds(-1));
  EXPECT_EQ(t.year, 1601);

  const CalendarTime last = Make(30827, 12, 31, 23, 59, 59, 999);
  t = last;
  EXPECT_TRUE(t.AddMilliseconds(0));
  EXPECT_FALSE(t.AddMilliseconds(1));
  EXPECT_FALSE(t.AddMinutes(INT32_MAX));
  EXPECT_EQ(t.day, 31);

  // Valid calendar dates beyond the tick scale cannot be shifted at all.
  for (int year : {30828, 65535}) {
    t = Make(year, 12, 31);
    int64_t ticks = -1;
    EXPECT_FALSE(t.ToTicks(&ticks));
    EXPECT_EQ(ticks, -1);
    EXPECT_FALSE(t.AddMinutes(INT32_MIN));
    EXPECT_EQ(t.year, year);
  }

  EXPECT_FALSE(t.FromTicks(-1));
  EXPECT_FALSE(t.FromTicks(INT64_MAX));
  EXPECT_EQ(t.year, 65535);
}

TEST(CalendarTime, OrdersByFieldsIgnoringTheDayOfWeek) {
  CalendarTime noon = Make(2024, 6, 1, 12);
  CalendarTime sameNoon = noon;
  sameNoon.dayOfWeek = 6;
  EXPECT_TRUE(noon <= sameNoon);
  EXPECT_TRUE(sameNoon <= noon);

  EXPECT_FALSE(noon <= CalendarTime());
  EXPECT_TRUE(CalendarTime() <= noon);

  EXPECT_TRUE(noon <= Make(2024, 6, 1, 12, 0, 0, 1));
  EXPECT_FALSE(Make(2024, 6, 1, 12, 0, 0, 1) <= noon);
  EXPECT_FALSE(Make(2024, 7, 1) <= Make(2024, 6, 30, 23, 59));
  EXPECT_FALSE(Make(2024, 13, 1) <= Make(2024, 12, 31));  // unvalidated fields compare as read
}

}  // namespace
