#include <gtest/gtest.h>

#include <string>

#include "xml/parser.h"

namespace {

TEST(TextRules, GraphicBytesIncludeEverythingFrom0x80) {
  EXPECT_TRUE(OKRXMLParser::IsBlank(""));
  EXPECT_TRUE(OKRXMLParser::IsBlank(" \t\r\n\x7F\x01"));
  EXPECT_FALSE(OKRXMLParser::IsBlank("  ."));
  EXPECT_FALSE(OKRXMLParser::IsBlank("\xD0\x96"));      // Cyrillic
  EXPECT_FALSE(OKRXMLParser::IsBlank("\xE6\x97\xA5"));  // Japanese
}

TEST(TextRules, TrimSpacesRemovesOnlySpaces) {
  EXPECT_EQ(OKRXMLParser::TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(OKRXMLParser::TrimSpaces("\tx\t "), "\tx\t");
  EXPECT_EQ(OKRXMLParser::TrimSpaces(" \t \n "), "");
  EXPECT_EQ(OKRXMLParser::TrimSpaces("   "), "");
  EXPECT_EQ(OKRXMLParser::TrimSpaces(" \xD0\x96 "), "\xD0\x96");
}

TEST(TextRules, Utf8ToAnsiSizesItsOutputForTheResult) {
  std::string out = "old";
  EXPECT_FALSE(OKRXMLParser::Utf8ToAnsi("", 0, out));
  ASSERT_TRUE(OKRXMLParser::Utf8ToAnsi("plain", 5, out));
  EXPECT_EQ(out, "plain");
  // Three bytes for one UTF-16 unit, four for two: more bytes than units.
  std::string wide = "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  ASSERT_TRUE(OKRXMLParser::Utf8ToAnsi(wide.data(), wide.size(), out));
  EXPECT_EQ(out, wide);
  // Invalid sequences are replaced, never dropped.
  ASSERT_TRUE(OKRXMLParser::Utf8ToAnsi("a\xFFz\xC3", 4, out));
  EXPECT_EQ(out, "a\xEF\xBF\xBDz\xEF\xBF\xBD");
}

}  // namespace
