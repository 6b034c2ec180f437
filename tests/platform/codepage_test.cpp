// Conversions between UTF-8 (the ANSI code page) and UTF-16. Text from listings is always
// well-formed and is seen whole in the end-to-end tests; what else may reach a conversion is
// seen only here.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

// Each well-formed UTF-8 sequence gives its value and comes back from it; each byte that starts
// none gives U+FFFD (the range allowed for the second byte depends on the first).
TEST(Codepage, ConvertsWellFormedSequencesAndReplacesEachByteOfTheOthers) {
  const std::u16string x2 = u"\uFFFD\uFFFD", x3 = x2 + u"\uFFFD", x4 = x3 + u"\uFFFD";
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      // Every plane, a lead byte last in a block of eight, and a run of ASCII past eight bytes.
      {"Seven b\xC3\xA9 \xD0\x96 \xE6\x97\xA5 \xF0\x9F\x98\x80 then ASCII past eight bytes",
       u"Seven b\u00E9 \u0416 \u65E5 \U0001F600 then ASCII past eight bytes"},
      // The first and last values of each row of the table of well-formed sequences.
      {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xE1\x80\x80\xEC\xBF\xBF\xED\x80\x80\xED\x9F\xBF",
       u"\x7F\x80\u07FF\u0800\u1000\uCFFF\uD000\uD7FF"},
      {"\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF1\x80\x80\x80\xF3\xBF\xBF\xBF\xF4\x8F\xBF\xBF",
       u"\uE000\uFFFF\U00010000\U00040000\U000FFFFF\U0010FFFF"},
      // Stray continuation bytes, lead bytes never valid, a lead byte before a lead byte.
      {"a\x80z\xBF", u"a\uFFFDz\uFFFD"},
      {"\xC0\x80\xC1\xBF\xF5\x80\xFF", x4 + x3},
      {"\xC3\xC3\xA9", u"\uFFFD\u00E9"},
      // Overlong forms, a surrogate, a value beyond U+10FFFF.
      {"\xE0\x9F\xBF", x3},
      {"\xF0\x8F\xBF\xBF", x4},
      {"\xED\xA0\x80", x3},
      {"\xF4\x90\x80\x80", x4},
      // Sequences cut short, by ASCII or by the end.
      {"\xE6\x97z\xF0\x9F\x98", x2 + u"z" + x3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::Utf8ToUtf16(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
    if (c.utf16.find(u'\uFFFD') == std::u16string::npos) {
      EXPECT_EQ(platform::Utf16ToUtf8(c.utf16), c.utf8);
    }
  }
  // Unpaired surrogates: a low one, a high one before a high one, a high one at the end.
  const char16_t units[] = {0xDC00, u'a', 0xD800, 0xD800, 0xDC00, 0xD800};
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(units, 6)),
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD\xF0\x90\x80\x80\xEF\xBF\xBD");
}

}  // namespace
