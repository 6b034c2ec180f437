#include "platform/ui/tty/terminal_text.h"

#include <gtest/gtest.h>

namespace {

using platform::ui::tty::TerminalLine;
using platform::ui::tty::TerminalText;

TEST(TerminalText, ControlCharactersAndBrokenUtf8NeverReachTheTerminal) {
  EXPECT_EQ(TerminalLine("News\x1b[2J\tat\x07 ten", 80), "News?[2J at? ten");
  EXPECT_EQ(TerminalLine("caf\xc3\xa9 \xc3 \xc2\x9b \xed\xa0\x80.", 80), "caf\xc3\xa9 ? ? ???.");
  EXPECT_EQ(TerminalText("one\r\ntwo\tthree\x1b\n"), "one\ntwo\tthree?\n");
}

TEST(TerminalText, LinesAreCutToTheColumnsTheyTake) {
  EXPECT_EQ(TerminalLine("Programme 12345", 9), "Programme");
  EXPECT_EQ(TerminalLine("\xc3\xa9t\xc3\xa9", 2), "\xc3\xa9t");
  // Wide characters take two columns and are never cut in half.
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 3), "\xe6\x96\xb0");
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 4), "\xe6\x96\xb0\xe9\x97\xbb");
}

}  // namespace
