// The user interface as a person meets it: the tty backend on a pseudo-terminal of the test
// driver's own, and Cancel by a signal without a user interface.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "platform/ui/none/none_backend.h"
#include "platform/ui/tty/terminal_text.h"
#include "tests/support/process_log.h"
#include "tests/support/pty_session.h"
#include "tests/support/run_program.h"
#include "ui/progress_dialog.h"

namespace {

using namespace testing_support;
constexpr size_t npos = std::string::npos;

// Without a user interface, SIGINT and SIGTERM while the dialog is shown are a confirmed Cancel,
// taken at the next pump; once the dialog is hidden the signal has its usual effect again, and
// the dialog logs nothing more.
TEST(NoneBackend, SignalsAreAConfirmedCancelAtTheNextPump) {
  platform::ui::InstallBackend(std::make_unique<platform::ui::NoneBackend>());
  for (int signal : {SIGTERM, SIGINT}) {
    struct sigaction before = {}, after = {};
    sigaction(signal, nullptr, &before);
    CProgressDialog job;
    job.Create();
    job.ShowWindow();
    testing::internal::CaptureStderr();
    raise(signal);
    EXPECT_FALSE(job.IsCancelled());
    LogSlice log;
    job.AddString("Programme 2");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Importing XMLTV Data\nAre you sure you want to abort further processing?\n");
    EXPECT_TRUE(job.IsCancelled());
    job.AddString("hidden");
    EXPECT_TRUE(log.Text().find("Programme 2") != npos && log.Text().find("hidden") == npos);
    sigaction(signal, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
  }
}

TEST(TtyBackend, BoxesFilePromptAndCtrlCAsAPersonAtTheTerminalMeetsThem) {
  TempDir temp;
  std::string dir = std::filesystem::canonical(temp.path()).string();
  WriteFile(dir + "/listings.xml", "<tv/>");
  WriteFile(dir + "/other.xml", "<tv/>");
  mkdir((dir + "/sub").c_str(), 0755);
  PtySession session(
      {UI_DRIVER, {"box", "alert", "open", "loop", "loop"}, {}, {"RUZOZAZE_UI"}, dir});
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

  // The file prompt proposes listings.xml in the current folder and refuses what cannot be
  // opened; Ctrl-D cancels.
  ASSERT_TRUE(step("XMLTV Listings file (.xml) [" + dir + "/listings.xml]: ", "missing.xml\r"));
  ASSERT_TRUE(step("'missing.xml' does not exist.", "sub\r"));
  ASSERT_TRUE(step("'sub' is a folder.", "\r"));
  ASSERT_TRUE(step("RESULT path=" + dir + "/listings.xml\r\n", " sub/../other.xml \r"));
  ASSERT_TRUE(step("RESULT path=" + dir + "/other.xml\r\n", "\x04"));
  ASSERT_TRUE(step("RESULT cancelled\r\n"));

  // Ctrl-C asks first: N goes on below the answered question, Y cancels and hides the dialog.
  ASSERT_TRUE(step("Programme", "\x03"));
  ASSERT_TRUE(step("Are you sure you want to abort further processing? [y/N] ", "n\r"));
  ASSERT_TRUE(step("Importing programmes:", "\x03"));
  ASSERT_TRUE(step("[y/N] ", "y\r"));
  ASSERT_TRUE(step("RESULT cancelled=1"));
  // A Ctrl-C while the first is still being asked about has the terminal's usual effect.
  ASSERT_TRUE(step("Programme", "\x03"));
  ASSERT_TRUE(step("[y/N] ", "\x03"));
  session.ReadFor(200);
  session.Type("\x03");
  EXPECT_EQ(session.Finish(), -100 - SIGINT);
  EXPECT_EQ(session.Output().find("RESULT", at), npos);
}

TEST(TtyBackend, ManyStatusLinesAreDrawnAtMost25TimesASecondAndTheLastOneAlways) {
  auto start = std::chrono::steady_clock::now();
  PtySession session({UI_DRIVER, {"burst"}, {}, {"RUZOZAZE_UI"}, "."}, 60);
  EXPECT_EQ(session.Finish(), 0);
  auto elapsed = std::chrono::steady_clock::now() - start;
  const std::string& output = session.Output();
  size_t drawings = CountOf(output, "Importing XMLTV Data");
  EXPECT_LE(drawings, static_cast<size_t>(elapsed / std::chrono::milliseconds(40) + 2));
  EXPECT_GE(drawings, 5u) << "the dialog is drawn while the job runs, not only at its end";
  EXPECT_LT(output.find("Programme 20000"), output.find("Importing programmes: 100%"))
      << "the last state is drawn, the main line above the detail";
  EXPECT_EQ(output.find("TAIL"), npos) << "a line longer than the terminal is cut";
  // Tidy at the end: the driver's own line starts on a fresh line below the drawing.
  EXPECT_NE(WithoutControlSequences(output).find("\nRESULT cancelled=0"), npos) << output;
}

TEST(TtyBackend, TextReachesTheTerminalWithoutControlCharactersCutToTheColumnsItTakes) {
  using platform::ui::tty::TerminalLine;
  EXPECT_EQ(TerminalLine("News\x1b[2J\tat\x07 ten", 80), "News?[2J at? ten");
  EXPECT_EQ(TerminalLine("caf\xc3\xa9 \xc3 \xc2\x9b \xed\xa0\x80.", 80), "caf\xc3\xa9 ? ? ???.");
  EXPECT_EQ(platform::ui::tty::TerminalText("one\r\ntwo\tthree\x1b\n"), "one\ntwo\tthree?\n");
  EXPECT_EQ(TerminalLine("\xc3\xa9t\xc3\xa9", 2), "\xc3\xa9t");
  // Wide characters take two columns and are never cut in half.
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 3), "\xe6\x96\xb0");
  EXPECT_EQ(TerminalLine("\xe6\x96\xb0\xe9\x97\xbb", 4), "\xe6\x96\xb0\xe9\x97\xbb");
}

}  // namespace
