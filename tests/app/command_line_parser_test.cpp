#include "app/command_line_parser.h"

#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "tests/app/parser_cases.h"

namespace {

TEST(CommandLineParser, ParsesEveryExampleIntoTheWholeMap) {
  for (const parser_cases::Case& c : parser_cases::Cases()) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(parser_cases::Walk(CommandLineParser(c.line)), c.entries);
  }
}

TEST(CommandLineParser, LooksUpNamesInAnyCase) {
  CommandLineParser parser("prog -x /s:List.TXT file.xml");
  EXPECT_TRUE(parser.HasParameter("x"));
  EXPECT_TRUE(parser.HasParameter("X"));
  EXPECT_EQ(parser.GetParameter("s"), "List.TXT");
  EXPECT_EQ(parser.GetParameter("S"), "List.TXT");
  EXPECT_EQ(parser.GetParameter("modulefilename"), "prog");
  EXPECT_EQ(parser.GetParameter("%1"), "file.xml");
  // Present without a value and absent both read as "".
  EXPECT_EQ(parser.GetParameter("x"), "");
  EXPECT_FALSE(parser.HasParameter("o"));
  EXPECT_EQ(parser.GetParameter("o"), "");
  EXPECT_FALSE(parser.HasParameter("%2"));
}

TEST(CommandLineParser, ReadsTheProcessCommandLine) {
  platform::GetCommandLine() = "\"/opt/my tools/ruzozaze\" /c:3 guide.xml";
  CommandLineParser parser;
  platform::GetCommandLine() = "changed afterwards";
  EXPECT_EQ(parser.GetParameter(COMMANDLINE), "\"/opt/my tools/ruzozaze\" /c:3 guide.xml");
  EXPECT_EQ(parser.GetParameter(MODULEFILENAME), "/opt/my tools/ruzozaze");
  EXPECT_EQ(parser.GetParameter("C"), "3");
  EXPECT_EQ(parser.GetParameter("%1"), "guide.xml");
}

}  // namespace
