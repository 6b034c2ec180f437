#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "platform/com/bstr.h"
#include "platform/com/bstr_buffer.h"

namespace {

// Bytes that exercise every decoding branch: ASCII, continuation bytes, lead bytes of every
// length (also the ones never valid), the first bytes of surrogates, overlongs and of values
// beyond U+10FFFF, and whole valid sequences.
std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> kParts = [] {
    std::vector<std::string> parts;
    std::istringstream all(
        "a| "
        "|<|\x7F|\x80|\xBF|\xC0|\xC1|\xC2|\xDF|\xE0|\xED|\xEF|\xF0|\xF4|\xF5|\xFF|\xA0|\x9F|\x90|"
        "\x8F|\xC3\xA9|\xE6\x97\xA5|\xF0\x9F\x98\x80|\xEF\xBF\xBD|\xED\x9F\xBF|\xF4\x8F\xBF\xBF|"
        "plain ASCII of more than eight bytes");
    for (std::string part; std::getline(all, part, '|');)
      parts.push_back(part);
    return parts;
  }();
  std::string text;
  size_t parts = random() % 12;
  for (size_t i = 0; i < parts; ++i)
    text += kParts[random() % kParts.size()];
  return text;
}

// The decoding rule stated by the table of well-formed UTF-8 byte sequences (the range allowed
// for the second byte depends on the first): each well-formed sequence gives its value, each
// byte that starts none gives U+FFFD.
std::u16string ModelUtf8ToUtf16(std::string_view s) {
  struct Row {
    unsigned char first, last, secondLow, secondHigh;
    int length;
  };
  static const Row kTable[] = {
      {0x00, 0x7F, 0, 0, 1},       {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
      {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
      {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    int length = 0;
    for (const Row& row : kTable) {
      if (byte(0) < row.first || byte(0) > row.last)
        continue;
      bool ok = row.length == 1 || (i + row.length <= s.size() && byte(1) >= row.secondLow &&
                                    byte(1) <= row.secondHigh);
      for (int k = 2; ok && k < row.length; ++k)
        ok = byte(k) >= 0x80 && byte(k) <= 0xBF;
      length = ok ? row.length : 0;
    }
    if (length == 0) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    char32_t cp = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (int k = 1; k < length; ++k)
      cp = (cp << 6) | (byte(k) & 0x3F);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
}

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

TEST(Codepage, DecodingFollowsTheTableOfWellFormedSequences) {
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::string text = RandomText(random);
    ASSERT_EQ(platform::Utf8ToUtf16(text), ModelUtf8ToUtf16(text)) << testing::PrintToString(text);
  }
}

TEST(Codepage, CharUpperTouchesOnlyAsciiLetters) {
  char text[] = "logging:0x1f \xC3\xA4z";
  platform::CharUpperA(text);
  EXPECT_STREQ(text, "LOGGING:0X1F \xC3\xA4Z");
}

// One buffer for texts of every length, longer and shorter than the one before.
TEST(Bstr, BufferHoldsEachTextInTurn) {
  BstrBuffer buffer;
  for (const std::string& text :
       std::vector<std::string>{"", "K\xC3\xB6ln", std::string(1000, 'x'), "\xFF!", "",
                                std::string(3000, 'y') + "\xF0\x9F\x93\xBA", "short"}) {
    BSTR s = buffer.Set(text);
    ASSERT_NE(s, nullptr);
    std::u16string expected = platform::Utf8ToUtf16(text);
    EXPECT_EQ(SysStringLen(s), expected.size());
    EXPECT_EQ(std::u16string(s), expected);
  }
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
