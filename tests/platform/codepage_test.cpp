#include "platform/codepage.h"

#include <gtest/gtest.h>

#include "platform/com/bstr.h"

namespace {

TEST(Codepage, RoundTripsEveryPlane) {
  std::string text = "Ab \xC3\xA9 \xD0\x96 \xE6\x97\xA5 \xF0\x9F\x98\x80";  // é Ж 日 😀
  std::u16string wide = platform::Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"Ab \u00e9 \u0416 \u65e5 \U0001F600");
  EXPECT_EQ(platform::Utf16ToUtf8(wide), text);
}

TEST(Codepage, InvalidSequencesBecomeReplacementCharacters) {
  // A stray continuation byte, a truncated sequence, an overlong NUL and an encoded surrogate.
  EXPECT_EQ(platform::Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(platform::Utf8ToUtf16("a\xE6\x97"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(platform::Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(platform::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Codepage, CharUpperTouchesOnlyAsciiLetters) {
  char text[] = "logging:0x1f \xC3\xA4z";
  platform::CharUpperA(text);
  EXPECT_STREQ(text, "LOGGING:0X1F \xC3\xA4Z");
}

TEST(Bstr, CarriesLengthAndConvertsFromAnsi) {
  BSTR s = platform::AnsiToBstr("K\xC3\xB6ln");
  EXPECT_EQ(SysStringLen(s), 4u);
  EXPECT_EQ(platform::BstrToAnsi(s), "K\xC3\xB6ln");
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(platform::BstrToAnsi(nullptr), "");
}

}  // namespace
