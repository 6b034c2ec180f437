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

}  // namespace
