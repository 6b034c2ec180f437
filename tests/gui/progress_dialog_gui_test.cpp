// The progress dialog on the desktop, during the import of a generated file of 100,000
// programmes (97,600 schedule entries: every 40th slot is a clump of two).
#include <chrono>
#include <thread>

#include "tests/gui/gui_fixture.h"

namespace {

constexpr char kCaption[] = "^Importing XMLTV Data$";
constexpr long kAllEntries = 97600;
// The Cancel button's centre in the template, as fractions of the dialog's size.
constexpr double kCancelX = (90 + 25) / 231.0;
constexpr double kCancelY = (37 + 7) / 58.0;

class ProgressDialogGuiTest : public GuiTest {
 protected:
  // Starts the import; returns the dialog's window once programmes are being stored.
  std::string StartImport() {
    Start({GUI_LISTINGS});
    std::string dialog = desktop->WaitForWindow(kCaption, kAppear);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return dialog;
  }
  // The confirmation box that a Cancel opens: it has the dialog's caption.
  std::string Confirmation(const std::string& dialog) {
    return desktop->WaitForWindow(kCaption, kAppear, dialog);
  }
  void ExpectPartialConsistentGuide() {
    EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries e"
                    " LEFT JOIN programs p ON p.id = e.program_id"
                    " LEFT JOIN services s ON s.id = e.service_id"
                    " WHERE p.id IS NULL OR s.id IS NULL"),
              "0");
    long entries = Count("schedule_entries");
    EXPECT_GT(entries, 0);
    EXPECT_LT(entries, kAllEntries);
  }
};

TEST_F(ProgressDialogGuiTest, CancelThenNoLetsTheImportFinish) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Click(dialog, kCancelX, kCancelY);
  std::string box = Confirmation(dialog);
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "Return");  // No is the default button
  EXPECT_TRUE(desktop->WaitUntilHidden(box, 10));
  EXPECT_EQ(desktop->Windows(kCaption), std::vector<std::string>{dialog});
  testing_support::RunResult run = Finish(240);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Count("schedule_entries"), kAllEntries);
}

TEST_F(ProgressDialogGuiTest, CancelThenYesHidesTheDialogAndSavesWhatWasImported) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Click(dialog, kCancelX, kCancelY);
  std::string box = Confirmation(dialog);
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "alt+y");
  EXPECT_TRUE(desktop->WaitUntilHidden(dialog, 2));
  testing_support::RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectPartialConsistentGuide();
}

TEST_F(ProgressDialogGuiTest, TheCloseBoxAsksLikeCancel) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Close(dialog);
  std::string box = Confirmation(dialog);
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "alt+y");
  EXPECT_TRUE(desktop->WaitUntilHidden(dialog, 2));
  testing_support::RunResult run = Finish(60);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectPartialConsistentGuide();
}

}  // namespace
