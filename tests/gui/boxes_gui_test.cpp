// The message boxes on the desktop: the self-closing alert and the usage box.
#include <chrono>
#include <thread>

#include "resources/resources.h"
#include "tests/gui/gui_fixture.h"

namespace {

using gui_testing::RegexQuoted;

// An import whose database cannot be opened (its folder would lie below a file) raises the
// alert "Cannot open EPG database." with the program's path as its caption.
class AlertGuiTest : public GuiTest {
 protected:
  std::string StartFailingImport() {
    testing_support::WriteFile(dir / "file", "");
    Start({Sample("ektotv_example.xml")}, {{"GLIMMERBOX_EPG_DB", dir / "file/epg.sqlite"}});
    return desktop->WaitForWindow(Counted(15), kAppear);
  }
  std::string Counted(int count) {
    char prefix[8];
    snprintf(prefix, sizeof prefix, "^%02d - ", count);
    return prefix + RegexQuoted(program) + "$";
  }
};

TEST_F(AlertGuiTest, TheCaptionCountsDownAndTheBoxClosesItself) {
  std::string box = StartFailingImport();
  ASSERT_NE(box, "") << Ended();
  EXPECT_EQ(desktop->WaitForWindow(Counted(14), 3), box);
  EXPECT_EQ(desktop->WaitForWindow(Counted(1), 15), box);
  EXPECT_TRUE(desktop->WaitUntilHidden(box, 3));
  testing_support::RunResult run = Finish(10);
  EXPECT_EQ(run.exitCode, -1);
}

TEST_F(AlertGuiTest, AKeyStopsTheCountdownAndTheBoxWaits) {
  std::string box = StartFailingImport();
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "a");
  EXPECT_EQ(desktop->WaitForWindow("^" + RegexQuoted(program) + "$", 3), box);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(desktop->Name(box), program);
  EXPECT_TRUE(running->IsRunning());
  desktop->Key(box, "Return");
  testing_support::RunResult run = Finish(10);
  EXPECT_EQ(run.exitCode, -1);
}

// Without RUZOZAZE_UI the program chooses the gtk backend itself: standard input is no terminal,
// the module is beside it and the display opens.
TEST_F(GuiTest, TheUsageBoxShowsTheOptions) {
  Start({"-h"}, {}, false);
  std::string box = desktop->WaitForWindow("^Command line options$", kAppear);
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "ctrl+c");
  std::string usage;
  LoadString(IDS_USAGE_TEXT, &usage);
  std::string copied;
  for (int tries = 0; tries < 50 && copied.empty(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    copied = desktop->Clipboard();
  }
  EXPECT_EQ(copied, usage);
  desktop->Key(box, "Return");
  testing_support::RunResult run = Finish(10);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
}

}  // namespace
