#include "diag/format.h"

#include <gtest/gtest.h>

namespace {

TEST(Format, FitsFirstBufferThenDoublesThenGivesUp) {
  std::string out;
  EXPECT_EQ(Format(out, "%%%d", 1), 2);
  EXPECT_EQ(out, "%1");

  std::string s511(511, 'a'), s512(512, 'b'), s32767(32767, 'c');
  EXPECT_EQ(Format(out, "%s", s511.c_str()), 511);
  EXPECT_EQ(out, s511);
  EXPECT_EQ(Format(out, "%s", s512.c_str()), 512);
  EXPECT_EQ(out, s512);
  EXPECT_EQ(Format(out, "%s", s32767.c_str()), 32767);
  EXPECT_EQ(out, s32767);

  std::string s40000(40000, 'd');
  EXPECT_LT(Format(out, "x%sx", s40000.c_str()), 0);
  EXPECT_EQ(out, "ERROR: Output of Format was to big to handle\n");
  std::string s32768(32768, 'e');
  EXPECT_LT(Format(out, "%s", s32768.c_str()), 0);
}

TEST(ToUpper, UpperCasesAsciiAndKeepsLength) {
  std::string empty;
  ToUpper(empty);
  EXPECT_EQ(empty, "");
  std::string name = "commandline\xC3\xA4x";
  ToUpper(name);
  EXPECT_EQ(name, "COMMANDLINE\xC3\xA4X");
  std::string withNul("ab\0cd", 5);
  ToUpper(withNul);
  EXPECT_EQ(withNul.size(), 5u);
  EXPECT_EQ(withNul.substr(0, 2), "AB");
}

}  // namespace
