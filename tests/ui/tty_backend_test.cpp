// The tty backend as a person at a terminal meets it: the test driver runs on a pseudo-terminal
// of its own and chooses its backend itself (standard input and error are that terminal).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/ui/tty/terminal_text.h"
#include "tests/support/pty_session.h"
#include "tests/support/run_program.h"

namespace {

using namespace testing_support;
constexpr size_t npos = std::string::npos;

TEST(TtyBackend, BoxesFilePromptAndCtrlCAsAPersonAtTheTerminalMeetsThem) {
  TempDir temp;
  std::string dir = std::filesystem::canonical(temp.path()).string();
  WriteFile(dir + "/listings.xml", "<tv/>");
  WriteFile(dir + "/other.xml", "<tv/>");
  mkdir((dir + "/sub").c_str(), 0755);
  PtySession session({UI_DRIVER, "box", "alert", "open", "loop", "loop"}, dir);
  size_t at = 0;
  // Waits for `text` behind what was seen so far, then types `keys`.
  auto step = [&](const std::string& text, const std::string& keys = "") {
    at = session.WaitFor(text, at);
    if (at == npos)
      return testing::AssertionFailure() << "no \"" << text << "\" in:\n" << session.Output();
    session.Type(keys);
    return testing::AssertionSuccess();
  };
  ASSERT_TRUE(step("caption\r\nhello\r\nPress Enter to continue. "));
  session.ReadFor(300);
  EXPECT_EQ(session.Output().find("RESULT"), npos) << "the box waits";
  session.Type("\r");
  ASSERT_TRUE(step("RESULT box=1"));

  // The alert counts down in place until a key, then waits for Enter.
  ASSERT_TRUE(step("15 - BASE"));
  EXPECT_NE(session.Output().rfind("Disk full", at), npos);
  ASSERT_TRUE(step("\r14 - BASE", "x"));
  ASSERT_TRUE(step("\rBASE"));
  session.ReadFor(1300);
  EXPECT_EQ(session.Output().find("13 - BASE", at), npos) << "the countdown stopped";
  session.Type("\r");
  ASSERT_TRUE(step("RESULT box=1"));

  // The file prompt proposes the default and refuses what cannot be opened; Ctrl-D cancels.
  ASSERT_TRUE(step("XMLTV Listings file (.xml) [" + dir + "/listings.xml]: ", "missing.xml\r"));
  ASSERT_TRUE(step("'missing.xml' does not exist.", "sub\r"));
  ASSERT_TRUE(step("'sub' is a folder.", "\r"));
  ASSERT_TRUE(step("RESULT path=" + dir + "/listings.xml\r\n", " sub/../other.xml \r"));
  ASSERT_TRUE(step("RESULT path=" + dir + "/other.xml\r\n", "\x04"));
  ASSERT_TRUE(step("RESULT cancelled\r\n"));

  // Ctrl-C asks first: N goes on below the answered question, Y cancels.
  ASSERT_TRUE(step("Importing XMLTV Data"));
  ASSERT_TRUE(step("Press Ctrl-C to cancel"));
  ASSERT_TRUE(step("Programme", "\x03"));
  ASSERT_TRUE(step("Are you sure you want to abort further processing? [y/N] ", "n\r"));
  ASSERT_TRUE(step("Importing programmes:", "\x03"));
  ASSERT_TRUE(step("[y/N] ", "y\r"));
  ASSERT_TRUE(step("RESULT cancelled=1"));
  // A Ctrl-C while the first still waits (here: while its question is up) means the program is
  // not reacting: the terminal's usual effect ends it.
  ASSERT_TRUE(step("Programme", "\x03"));
  ASSERT_TRUE(step("[y/N] ", "\x03"));
  session.ReadFor(200);
  session.Type("\x03");
  EXPECT_EQ(session.Finish(), -100 - SIGINT);
  EXPECT_EQ(session.Output().find("RESULT", at), npos);
}

TEST(TtyBackend, ManyStatusLinesAreDrawnAtMost25TimesASecondAndTheLastOneAlways) {
  PtySession session({UI_DRIVER, "burst"}, ".", 60);
  EXPECT_EQ(session.Finish(), 0);
  const std::string& output = session.Output();
  size_t result = output.find("RESULT elapsed_ms=");
  ASSERT_NE(result, npos) << output;
  long elapsedMs = atol(output.c_str() + result + 18);
  size_t drawings = CountOf(output, "Importing XMLTV Data");
  EXPECT_GE(elapsedMs, 1000);
  EXPECT_LE(drawings, static_cast<size_t>(elapsedMs / 40 + 2));
  EXPECT_GE(drawings, 5u) << "the dialog is drawn while the job runs, not only at its end";
  EXPECT_NE(output.find("Programme 100000"), npos) << "the last state is drawn";
  EXPECT_EQ(output.find("TAIL"), npos) << "a line longer than the terminal is cut";
  // Tidy at the end: the driver's own line starts on a fresh line below the drawing.
  EXPECT_NE(WithoutControlSequences(output).find("\nRESULT"), npos);
}

TEST(TtyBackend, TextReachesTheTerminalWithoutControlCharactersCutToTheColumnsItTakes) {
  using platform::ui::tty::TerminalLine;
  EXPECT_EQ(TerminalLine("News\x1b[2J\tat\x07 ten", 80), "News?[2J at? ten");
  EXPECT_EQ(TerminalLine("caf\xc3\xa9 \xc3 \xc2\x9b \xed\xa0\x80.", 80), "caf\xc3\xa9 ? ? ???.");
  EXPECT_EQ(platform::ui::tty::TerminalText("one\r\ntwo\tthree\x1b\n"), "one\ntwo\tthree?\n");
  EXPECT_EQ(TerminalLine("Programme 12345", 9), "Programme");
  EXPECT_EQ(TerminalLine("\xc3\xa9t\xc3\xa9", 2), "\xc3\xa9t");
  // Wide characters take two columns and are never cut in half.
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 3), "\xe6\x96\xb0");
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 4), "\xe6\x96\xb0\xe9\x97\xbb");
}

}  // namespace
