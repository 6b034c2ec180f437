// The tty backend as a person at a terminal meets it: the test driver runs on a pseudo-terminal
// of its own and chooses its backend itself (standard input and error are that terminal).
#include "platform/ui/tty/tty_backend.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/run_program.h"
#include "tests/ui/process_log.h"
#include "tests/ui/pty_session.h"

namespace {

using namespace testing_support;
constexpr size_t npos = std::string::npos;

TEST(TtyBackend, CtrlCAsksFirstThenNContinuesAndYCancels) {
  TempDir dir;
  std::string driver = dir / "ui_driver";
  std::filesystem::copy_file(UI_DRIVER, driver);
  PtySession session({driver, "loop", "/Logging:101"}, dir.path());
  size_t at = session.WaitFor("Programme");
  ASSERT_NE(at, npos) << session.Output();
  EXPECT_NE(session.Output().find("Importing XMLTV Data"), npos);
  EXPECT_NE(session.Output().find("Press Ctrl-C to cancel"), npos);
  session.Type("\x03");
  at = session.WaitFor("Are you sure you want to abort further processing? [y/N] ", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("n\r");
  at = session.WaitFor("Importing programmes:", at);
  ASSERT_NE(at, npos) << "the run goes on below the answered question";
  session.Type("\x03");
  at = session.WaitFor("[y/N] ", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("y\r");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_NE(session.Output().find("RESULT cancelled=1", at), npos) << session.Output();
  std::string log = ReadFile(driver + ".log");
  EXPECT_TRUE(InOrder(log, {"OnCancel - Displaying confirmation message\r\n",
                            "OnCancel - User continued further processing\r\n",
                            "OnCancel - Displaying confirmation message\r\n",
                            "OnCancel - User cancelled further processing\r\n"}))
      << log;
  EXPECT_EQ(log.find("XMLTV import finished"), npos);
}

// The second Ctrl-C comes while the first still waits (here: while its question is up), which
// means the program does not react: the terminal's usual effect ends it.
TEST(TtyBackend, ASecondCtrlCBeforeTheFirstIsHandledEndsTheProgram) {
  PtySession session({UI_DRIVER, "loop"}, ".");
  ASSERT_NE(session.WaitFor("Programme"), npos) << session.Output();
  session.Type("\x03");
  size_t at = session.WaitFor("[y/N] ");
  ASSERT_NE(at, npos) << session.Output();
  session.Type("\x03");
  session.ReadFor(200);
  session.Type("\x03");
  EXPECT_EQ(session.Finish(), -100 - SIGINT);
  EXPECT_EQ(session.Output().find("RESULT"), npos);
}

TEST(TtyBackend, AnOkBoxShowsCaptionAndTextAndWaitsForEnter) {
  PtySession session({UI_DRIVER, "box"}, ".");
  size_t at = session.WaitFor("caption\r\nhello\r\n");
  ASSERT_NE(at, npos) << session.Output();
  at = session.WaitFor("Press Enter to continue. ", at);
  ASSERT_NE(at, npos) << session.Output();
  session.ReadFor(300);
  EXPECT_EQ(session.Output().find("RESULT"), npos) << "the box waits";
  session.Type("\r");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_NE(session.Output().find("RESULT box=1", at), npos);
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

TEST(TtyBackend, TheAlertCountsDownInPlaceUntilAKeyThenEnterClosesIt) {
  PtySession session({UI_DRIVER, "alert"}, ".");
  size_t at = session.WaitFor("15 - BASE");
  ASSERT_NE(at, npos) << session.Output();
  EXPECT_NE(session.Output().rfind("Disk full", at), npos);
  at = session.WaitFor("\r14 - BASE", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("x");
  at = session.WaitFor("\rBASE", at);
  ASSERT_NE(at, npos) << session.Output();
  session.ReadFor(1300);
  EXPECT_EQ(session.Output().find("13 - BASE", at), npos) << "the countdown stopped";
  session.Type("\r");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_NE(session.Output().find("RESULT box=1", at), npos) << session.Output();
}

TEST(TtyBackend, TheFilePromptProposesTheDefaultAndRefusesWhatCannotBeOpened) {
  TempDir temp;
  std::string dir = std::filesystem::canonical(temp.path()).string();
  WriteFile(dir + "/listings.xml", "<tv/>");
  WriteFile(dir + "/other.xml", "<tv/>");
  mkdir((dir + "/sub").c_str(), 0755);
  PtySession session({UI_DRIVER, "open"}, dir);
  size_t at = session.WaitFor("XMLTV Listings file (.xml) [" + dir + "/listings.xml]: ");
  ASSERT_NE(at, npos) << session.Output();
  session.Type("missing.xml\r");
  at = session.WaitFor("'missing.xml' does not exist.", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("sub\r");
  at = session.WaitFor("'sub' is a folder.", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("\r");
  at = session.WaitFor("RESULT path=" + dir + "/listings.xml\r\n", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type(" sub/../other.xml \r");
  at = session.WaitFor("RESULT path=" + dir + "/other.xml\r\n", at);
  ASSERT_NE(at, npos) << session.Output();
  session.Type("\x04");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_NE(session.Output().find("RESULT cancelled", at), npos) << session.Output();
}

}  // namespace
