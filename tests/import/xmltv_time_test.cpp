#include "import/xmltv_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "platform/clock.h"

namespace {

auto Fields(const CalendarTime& t) {
  return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds);
}

auto Fields(int year, int month, int day, int hour, int minute, int second) {
  return std::make_tuple(uint16_t(year), uint16_t(month), uint16_t(day), uint16_t(hour),
                         uint16_t(minute), uint16_t(second), uint16_t(0));
}

// Parses a copy held in a heap block of exactly the text's size, so that the sanitizer catches
// any read past its terminating NUL.
CalendarTime Parse(const std::string& text, bool* result = nullptr) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  CalendarTime time;
  time.year = 1;  // must be cleared
  time.dayOfWeek = 1;
  bool ok = ParseXmltvTime(copy.get(), &time);
  if (result)
    *result = ok;
  return time;
}

TEST(XmltvTime, ReadsFieldsByDigitCount) {
  bool ok = false;
  EXPECT_EQ(Fields(Parse("20240305123456 +0100", &ok)), Fields(2024, 3, 5, 12, 34, 56));
  EXPECT_TRUE(ok);
  EXPECT_EQ(Fields(Parse("20240305123456")), Fields(2024, 3, 5, 12, 34, 56));
  EXPECT_EQ(Fields(Parse("202403051234")), Fields(2024, 3, 5, 12, 34, 0));
  EXPECT_EQ(Fields(Parse("2024030512345")), Fields(2024, 3, 5, 12, 34, 0));
  EXPECT_EQ(Fields(Parse("20240305")), Fields(2024, 3, 5, 0, 0, 0));
  EXPECT_EQ(Fields(Parse("2024030")), Fields(2024, 3, 0, 0, 0, 0));
  EXPECT_EQ(Fields(Parse("20240305123456789")), Fields(2024, 3, 5, 12, 34, 56));
  EXPECT_EQ(Parse("20240305123456").dayOfWeek, 0);

  CalendarTime yearOnly = Parse("2024", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(Fields(yearOnly), Fields(2024, 0, 0, 0, 0, 0));
  EXPECT_FALSE(yearOnly.AddMinutes(90));
  EXPECT_EQ(Fields(yearOnly), Fields(2024, 0, 0, 0, 0, 0));

  // Values are stored as read, not checked.
  EXPECT_EQ(Fields(Parse("20241332256199")), Fields(2024, 13, 32, 25, 61, 99));
}

TEST(XmltvTime, SkipsColonsOnly) {
  EXPECT_EQ(Fields(Parse("2024:03:05:12:34:56")), Fields(2024, 3, 5, 12, 34, 56));
  EXPECT_EQ(Fields(Parse(":20240305 12:34")), Fields(2024, 3, 5, 0, 0, 0));
  EXPECT_EQ(Fields(Parse("20240305123456:78")), Fields(2024, 3, 5, 12, 34, 56));

  CalendarTime dashed = Parse("2024-03-05");
  EXPECT_EQ(Fields(dashed), Fields(2024, 0, 0, 0, 0, 0));
  EXPECT_FALSE(dashed.IsValid());
}

TEST(XmltvTime, RejectsTextsWithFewerThanFourDigits) {
  for (const char* text : {"", "202", " 20240305123456", "+20240305", "a2024", "::1:2:3"}) {
    bool ok = true;
    CalendarTime time = Parse(text, &ok);
    EXPECT_FALSE(ok) << text;
    EXPECT_EQ(Fields(time), Fields(0, 0, 0, 0, 0, 0)) << text;
    EXPECT_EQ(time.dayOfWeek, 0);
  }
}

// Runs each test under a fixed time zone given as a POSIX TZ string, restoring the old one after.
class XmltvUtcTime : public testing::Test {
 protected:
  void UseZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void SetUp() override {
    if (const char* tz = getenv("TZ"))
      saved_ = tz;
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(XmltvUtcTime, ConvertsAfterOneSeparatorWithTheZoneOfNow) {
  UseZone("UTC0");
  EXPECT_EQ(Fields(Parse("20240305123456 UTC")), Fields(2024, 3, 5, 12, 34, 56));

  UseZone("EST5");
  CalendarTime converted = Parse("20240305123456 UTC");
  EXPECT_EQ(Fields(converted), Fields(2024, 3, 5, 7, 34, 56));
  EXPECT_EQ(converted.dayOfWeek, 2);
  EXPECT_EQ(Fields(Parse("20240101003000 UT")), Fields(2023, 12, 31, 19, 30, 0));
  EXPECT_EQ(Fields(Parse("202403051234_UTC")), Fields(2024, 3, 5, 7, 34, 0));

  UseZone("IST-5:30");
  EXPECT_EQ(Fields(Parse("20240305123456 UTC")), Fields(2024, 3, 5, 18, 4, 56));
  EXPECT_EQ(Fields(Parse("20241231203000 UTC")), Fields(2025, 1, 1, 2, 0, 0));
}

TEST_F(XmltvUtcTime, OtherSuffixesStayLocal) {
  UseZone("EST5");
  for (const char* text :
       {"20240305123456UTC", "20240305123456 +0000", "20240305123456 utc", "20240305123456  UTC",
        "20240305123456 U", "20240305123456 ", "2024030512345678 UTC"}) {
    EXPECT_EQ(Fields(Parse(text)), Fields(2024, 3, 5, 12, 34, 56)) << text;
  }
  EXPECT_EQ(Fields(Parse("2024 UTC")), Fields(2024, 0, 0, 0, 0, 0));
}

TEST_F(XmltvUtcTime, UsesOneOffsetWhateverTheDateConverted) {
  // Central Europe: +1 hour in winter, +2 in summer. The offset of now applies to both stamps.
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  int64_t offsetMinutes = platform::CurrentUtcOffsetSeconds() / 60;
  ASSERT_TRUE(offsetMinutes == 60 || offsetMinutes == 120);
  for (const char* text : {"20240115120000 UTC", "20240715120000 UTC"}) {
    CalendarTime time = Parse(text);
    EXPECT_EQ(time.hour * 60 + time.minute, 12 * 60 + offsetMinutes) << text;
  }
}

}  // namespace
