#include "ui/progress_dialog.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "platform/ui/none/none_backend.h"
#include "tests/support/process_log.h"
#include "tests/support/scripted_backend.h"

namespace {

using namespace platform::ui;
using namespace testing_support;
constexpr size_t npos = std::string::npos;
const std::string kTrace = " TRACE: CProgressDialog::";

class ProgressDialogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    dialog.DestroyWindow();  // before its backend goes
    InstallBackend(std::make_unique<NoneBackend>());
  }
  LogSlice log;
  CProgressDialog dialog;
};

// Cancel asks first: No goes on, Yes hides the dialog at once, and a hidden dialog shows and logs
// nothing more.
TEST_F(ProgressDialogTest, CancelAsksFirstNoGoesOnYesHidesAndSilencesTheDialog) {
  auto backend = std::make_unique<ScriptedBackend>();
  ScriptedBackend* ui = backend.get();
  InstallBackend(std::move(backend));
  ui->answers = {IDNO, IDYES};
  ui->onPump = [ui] {
    if (ui->pumps != 2)
      ui->ClickCancel();
  };
  dialog.AddString("no window");
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(ui->centred);
  EXPECT_TRUE(dialog.IsCancelled());
  dialog.AddString("hidden");
  dialog.ShowWindow();
  ui->events->OnCommand(IDCANCEL, 1);  // a notification, not the command
  ui->events->OnCommand(IDOK, 0);
  EXPECT_TRUE(ui->boxes.empty());
  dialog.AddString("Channel one");
  EXPECT_FALSE(dialog.IsCancelled());
  EXPECT_TRUE(ui->dialogVisible);
  dialog.AddSubString("Importing programmes: 50%");
  EXPECT_EQ(ui->itemTexts[1002], "Channel one");
  EXPECT_EQ(ui->itemTexts[1000], "Importing programmes: 50%");
  dialog.AddString(nullptr);
  EXPECT_EQ(ui->itemTexts[1002], "");
  EXPECT_TRUE(dialog.IsCancelled());
  EXPECT_FALSE(ui->dialogVisible);
  ASSERT_EQ(ui->boxes.size(), 2u);
  EXPECT_EQ(ui->boxes[0].text, "Are you sure you want to abort further processing?");
  EXPECT_EQ(ui->boxes[0].caption, "Importing XMLTV Data");
  EXPECT_EQ(ui->boxes[0].style, 0x124u);
  size_t shown = ui->itemHistory.size();
  dialog.AddString("XMLTV import finished");
  dialog.AddSubString("Importing programmes: 100%");
  dialog.DestroyWindow();
  EXPECT_FALSE(ui->dialogAlive);
  dialog.AddString("destroyed");
  EXPECT_EQ(ui->itemHistory.size(), shown);
  EXPECT_EQ(ui->pumps, 3);
  std::string text = log.Text();
  EXPECT_TRUE(InOrder(text, {kTrace + "AddString: Channel one\r\n",
                             kTrace + "OnCancel - Displaying confirmation message\r\n",
                             kTrace + "OnCancel - User continued further processing\r\n",
                             kTrace + "AddSubString: Importing programmes: 50%\r\n",
                             kTrace + "AddString: <null>\r\n",
                             kTrace + "OnCancel - User cancelled further processing\r\n"}))
      << text;
  for (const char* unseen : {"no window", "hidden", "finished", "100%", "destroyed"})
    EXPECT_EQ(text.find(unseen), npos) << unseen;
}

sighandler_t CurrentHandler(int signal) {
  struct sigaction action = {};
  sigaction(signal, nullptr, &action);
  return action.sa_handler;
}

// Without a user interface, SIGINT and SIGTERM while the dialog is shown are a confirmed Cancel.
TEST_F(ProgressDialogTest, SignalsAreAConfirmedCancelAtTheNextPumpWithoutAUserInterface) {
  for (int signal : {SIGTERM, SIGINT}) {
    InstallBackend(std::make_unique<NoneBackend>());
    sighandler_t before = CurrentHandler(signal);
    CProgressDialog job;
    job.Create();
    job.ShowWindow();
    testing::internal::CaptureStderr();
    raise(signal);
    EXPECT_FALSE(job.IsCancelled());
    job.AddString("Programme 2");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(job.IsCancelled());
    EXPECT_EQ(err, "Importing XMLTV Data\nAre you sure you want to abort further processing?\n");
    EXPECT_EQ(CurrentHandler(signal), before) << "hidden: the signal has its usual effect again";
  }
}

}  // namespace
