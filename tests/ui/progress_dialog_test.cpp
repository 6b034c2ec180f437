#include "ui/progress_dialog.h"

#include <gtest/gtest.h>

#include "platform/ui/none/none_backend.h"
#include "platform/ui/tty/tty_backend.h"
#include "tests/support/scripted_backend.h"
#include "tests/ui/process_log.h"

namespace {

using namespace platform::ui;
using testing_support::InOrder;
using testing_support::LogSlice;
using testing_support::ScriptedBackend;

const std::string kTrace = " TRACE: CProgressDialog::";

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<ScriptedBackend>();
    ui = backend.get();
    InstallBackend(std::move(backend));
  }
  void TearDown() override {
    dialog.DestroyWindow();  // before its backend goes
    InstallBackend(std::make_unique<NoneBackend>());
  }
  // Shows the dialog; the person at the screen presses Cancel at the first pump and then
  // gives `answer` to the confirmation.
  void ShowAndCancelAtFirstPump(int answer) {
    ui->answers = {answer};
    ui->onPump = [this] {
      if (ui->pumps == 1)
        ui->ClickCancel();
    };
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow();
  }

  LogSlice log;
  ScriptedBackend* ui = nullptr;
  CProgressDialog dialog;
};

TEST_F(ProgressDialogTest, CancelThenNoKeepsTheDialogAndTheRunGoesOn) {
  ShowAndCancelAtFirstPump(IDNO);
  EXPECT_TRUE(ui->centred);
  dialog.AddString("Channel one");
  ASSERT_EQ(ui->boxes.size(), 1u);
  EXPECT_EQ(ui->boxes[0].text, "Are you sure you want to abort further processing?");
  EXPECT_EQ(ui->boxes[0].caption, "Importing XMLTV Data");
  EXPECT_EQ(ui->boxes[0].style, 0x124u);
  EXPECT_FALSE(dialog.IsCancelled());
  EXPECT_TRUE(ui->dialogVisible);
  dialog.AddSubString("Importing programmes: 50%");
  EXPECT_EQ(ui->itemTexts[1002], "Channel one");
  EXPECT_EQ(ui->itemTexts[1000], "Importing programmes: 50%");
  EXPECT_EQ(ui->pumps, 2);
  std::string text = log.Text();
  EXPECT_TRUE(InOrder(text, {kTrace + "AddString: Channel one\r\n",
                             kTrace + "OnCancel - Displaying confirmation message\r\n",
                             kTrace + "OnCancel - User continued further processing\r\n",
                             kTrace + "AddSubString: Importing programmes: 50%\r\n"}))
      << text;
  EXPECT_EQ(text.find("User cancelled"), std::string::npos);
}

TEST_F(ProgressDialogTest, CancelThenYesHidesAtOnceAndSilencesTheDialog) {
  ShowAndCancelAtFirstPump(IDYES);
  dialog.AddString("Programme 1");
  EXPECT_TRUE(dialog.IsCancelled());
  EXPECT_FALSE(ui->dialogVisible);
  size_t shown = ui->itemHistory.size();
  dialog.AddString("XMLTV import finished");
  dialog.AddSubString("Importing programmes: 100%");
  EXPECT_EQ(ui->itemHistory.size(), shown);
  EXPECT_EQ(ui->pumps, 1);
  dialog.DestroyWindow();
  EXPECT_FALSE(ui->dialogAlive);
  std::string text = log.Text();
  EXPECT_TRUE(InOrder(text, {kTrace + "AddString: Programme 1\r\n",
                             kTrace + "OnCancel - Displaying confirmation message\r\n",
                             kTrace + "OnCancel - User cancelled further processing\r\n"}))
      << text;
  EXPECT_EQ(text.find("finished"), std::string::npos);
  EXPECT_EQ(text.find("100%"), std::string::npos);
}

TEST_F(ProgressDialogTest, TheCloseBoxIsTheCancelCommandAndOtherCommandsDoNothing) {
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow();
  ui->events->OnCommand(IDCANCEL, 1);
  ui->events->OnCommand(IDOK, 0);
  EXPECT_TRUE(ui->boxes.empty());
  ui->answers = {IDYES};
  ui->ClickCloseBox();
  ASSERT_EQ(ui->boxes.size(), 1u);
  EXPECT_TRUE(dialog.IsCancelled());
}

TEST_F(ProgressDialogTest, NullTextShowsAnEmptyLineAndLogsNull) {
  ASSERT_TRUE(dialog.Create());
  dialog.ShowWindow();
  dialog.AddString("before");
  dialog.AddSubString("detail");
  dialog.AddString(nullptr);
  dialog.AddSubString(nullptr);
  EXPECT_EQ(ui->itemTexts[1002], "");
  EXPECT_EQ(ui->itemTexts[1000], "");
  EXPECT_TRUE(
      InOrder(log.Text(), {kTrace + "AddString: <null>\r\n", kTrace + "AddSubString: <null>\r\n"}));
}

TEST_F(ProgressDialogTest, NothingIsShownBeforeTheWindowIsShownOrAfterItIsDestroyed) {
  dialog.AddString("no window");
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(dialog.IsCancelled());
  dialog.AddString("hidden");
  dialog.ShowWindow();
  dialog.DestroyWindow();
  dialog.AddString("destroyed");
  EXPECT_TRUE(ui->itemHistory.empty());
  EXPECT_EQ(ui->pumps, 0);
  EXPECT_EQ(log.Text().find("AddString"), std::string::npos);
}

// Every backend keeps a quit request that arrives during a job: the pump never takes it.
TEST_F(ProgressDialogTest, AQuitRequestPostedDuringAJobIsStillThereAfterwards) {
  std::vector<std::unique_ptr<Backend>> backends;
  backends.push_back(std::make_unique<ScriptedBackend>());
  backends.push_back(std::make_unique<NoneBackend>());
  backends.push_back(std::make_unique<TtyBackend>());
  testing::internal::CaptureStderr();  // the tty backend draws there
  for (auto& backend : backends) {
    InstallBackend(std::move(backend));
    CProgressDialog job;
    job.Create();
    job.ShowWindow();
    job.AddString("Channel one");
    CurrentBackend().PostQuitMessage(5);
    job.AddString("Channel two");
    job.AddSubString("Importing programmes: 10%");
    job.DestroyWindow();
    int code = 0;
    EXPECT_TRUE(CurrentBackend().QuitRequested(&code));
    EXPECT_EQ(code, 5);
  }
  testing::internal::GetCapturedStderr();
}

}  // namespace
