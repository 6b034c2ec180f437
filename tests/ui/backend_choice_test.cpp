#include "platform/ui/backend_choice.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/ui/none/none_backend.h"
#include "platform/ui/tty/tty_backend.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"

namespace {

using namespace platform::ui;
using namespace testing_support;

class BackendChoiceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("RUZOZAZE_UI");
    InstallBackend(std::make_unique<NoneBackend>());
  }
};

TEST_F(BackendChoiceTest, ANamedBackendIsInstalled) {
  setenv("RUZOZAZE_UI", "tty", 1);
  EXPECT_TRUE(ChooseBackend());
  EXPECT_NE(dynamic_cast<TtyBackend*>(&CurrentBackend()), nullptr);
  setenv("RUZOZAZE_UI", "none", 1);
  EXPECT_TRUE(ChooseBackend());
  EXPECT_NE(dynamic_cast<NoneBackend*>(&CurrentBackend()), nullptr);
}

TEST_F(BackendChoiceTest, AMissingGtkModuleOrAnUnknownNameFailsWithAMessage) {
  InstallBackend(std::make_unique<ScriptedBackend>());
  std::string folder = std::filesystem::canonical(UI_DRIVER).parent_path().string();
  setenv("RUZOZAZE_UI", "gtk", 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ChooseBackend());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "RUZOZAZE_UI=gtk cannot be used: the GTK module " + folder +
                "/ruzozaze-gtk.so cannot be loaded.\n");
  setenv("RUZOZAZE_UI", "curses", 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ChooseBackend());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "RUZOZAZE_UI=curses cannot be used: it must be gtk, tty or none.\n");
  EXPECT_NE(dynamic_cast<ScriptedBackend*>(&CurrentBackend()), nullptr);
}

// A program with the module beside it, run without a terminal (standard input /dev/null).
class GtkModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.program = dir / "ui_driver";
    std::filesystem::copy_file(UI_DRIVER, options.program);
    std::filesystem::copy_file(FAKE_GTK_MODULE, dir / "ruzozaze-gtk.so");
    options.args = {"box"};
    options.env = {{"DISPLAY", ":99"}};
    options.unset = {"RUZOZAZE_UI", "FAKE_GTK_NO_DISPLAY", "DISPLAY", "WAYLAND_DISPLAY"};
  }
  TempDir dir;
  RunOptions options;
};

TEST_F(GtkModuleTest, TheModuleIsChosenWithoutATerminalWhenADisplayOpens) {
  RunResult run = RunProgram(options);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "FAKE GTK: hello\nRESULT box=1\n");
  options.env = {{"RUZOZAZE_UI", "none"}};
  EXPECT_EQ(RunProgram(options).out, "caption\nhello\nRESULT box=1\n");
}

TEST_F(GtkModuleTest, WithoutADisplayTheChoiceFallsThroughUnlessGtkIsForced) {
  options.env["FAKE_GTK_NO_DISPLAY"] = "1";
  RunResult run = RunProgram(options);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "caption\nhello\nRESULT box=1\n");
  options.env = {{"WAYLAND_DISPLAY", ""}};  // no display named: the module is not even loaded
  EXPECT_EQ(RunProgram(options).out, "caption\nhello\nRESULT box=1\n");
  options.env["FAKE_GTK_NO_DISPLAY"] = "1";
  options.env["RUZOZAZE_UI"] = "gtk";
  run = RunProgram(options);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "RUZOZAZE_UI=gtk cannot be used: no display can be opened.\n");
}

}  // namespace
