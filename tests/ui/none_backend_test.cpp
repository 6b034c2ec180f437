// The none backend: SIGINT and SIGTERM while the dialog is shown are a confirmed cancel.
#include "platform/ui/none/none_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/run_program.h"
#include "tests/ui/process_log.h"
#include "ui/progress_dialog.h"

namespace {

using namespace platform::ui;
using testing_support::InOrder;
using testing_support::LogSlice;
using testing_support::TempDir;

sighandler_t CurrentHandler(int signal) {
  struct sigaction action = {};
  sigaction(signal, nullptr, &action);
  return action.sa_handler;
}

TEST(NoneBackend, SignalsWhileTheDialogIsShownAreAConfirmedCancelAtTheNextPump) {
  for (int signal : {SIGTERM, SIGINT}) {
    LogSlice log;
    InstallBackend(std::make_unique<NoneBackend>());
    sighandler_t before = CurrentHandler(signal);
    CProgressDialog dialog;
    dialog.Create();
    dialog.ShowWindow();
    dialog.AddString("Programme 1");
    testing::internal::CaptureStderr();
    raise(signal);
    EXPECT_FALSE(dialog.IsCancelled());
    dialog.AddString("Programme 2");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(dialog.IsCancelled());
    EXPECT_EQ(err, "Importing XMLTV Data\nAre you sure you want to abort further processing?\n");
    EXPECT_EQ(CurrentHandler(signal), before) << "hidden: the signal has its usual effect again";
    EXPECT_TRUE(InOrder(
        log.Text(), {"AddString: Programme 2\r\n", "OnCancel - Displaying confirmation message\r\n",
                     "OnCancel - User cancelled further processing\r\n"}));
  }
}

// The real program's way: the backend chosen without a terminal, SIGTERM sent from outside.
TEST(NoneBackend, SigtermFromOutsideCancelsTheRunningJob) {
  TempDir dir;
  std::string driver = dir / "ui_driver";
  std::filesystem::copy_file(UI_DRIVER, driver);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    unsetenv("logging");
    unsetenv("RUZOZAZE_UI");
    execl(driver.c_str(), driver.c_str(), "loop", "/Logging:101", nullptr);
    _exit(127);
  }
  close(out[1]);
  std::string output;
  char buffer[256];
  for (ssize_t got; output.find("READY\n") == std::string::npos &&
                    (got = read(out[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<size_t>(got));
  kill(pid, SIGTERM);
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<size_t>(got));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(output.find("RESULT cancelled=1"), std::string::npos) << output;
  std::string log = testing_support::ReadFile(driver + ".log");
  EXPECT_TRUE(InOrder(log, {"OnCancel - Displaying confirmation message\r\n",
                            "OnCancel - User cancelled further processing\r\n"}))
      << log;
  EXPECT_EQ(log.find("XMLTV import finished"), std::string::npos);
}

}  // namespace
