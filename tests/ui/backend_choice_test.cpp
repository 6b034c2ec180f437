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

TEST(BackendChoice, ANamedBackendIsInstalledAndAnyOtherNameFailsWithAMessage) {
  setenv("RUZOZAZE_UI", "tty", 1);
  EXPECT_TRUE(ChooseBackend());
  EXPECT_NE(dynamic_cast<TtyBackend*>(&CurrentBackend()), nullptr);
  setenv("RUZOZAZE_UI", "none", 1);
  EXPECT_TRUE(ChooseBackend());
  EXPECT_NE(dynamic_cast<NoneBackend*>(&CurrentBackend()), nullptr);

  InstallBackend(std::make_unique<ScriptedBackend>());
  std::string folder = std::filesystem::canonical(UI_DRIVER).parent_path().string();
  setenv("RUZOZAZE_UI", "gtk", 1);  // no module beside the test
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
  unsetenv("RUZOZAZE_UI");
  InstallBackend(std::make_unique<NoneBackend>());
}

// A program with the module beside it, run without a terminal (standard input /dev/null): the
// module is chosen when a display is named and opens, unless another backend is forced.
TEST(BackendChoice, TheGtkModuleIsChosenWithoutATerminalWhenADisplayOpens) {
  TempDir dir;
  RunOptions options;
  options.program = dir / "ui_driver";
  std::filesystem::copy_file(UI_DRIVER, options.program);
  std::filesystem::copy_file(FAKE_GTK_MODULE, dir / "ruzozaze-gtk.so");
  options.args = {"box"};
  options.unset = {"RUZOZAZE_UI", "FAKE_GTK_NO_DISPLAY", "DISPLAY", "WAYLAND_DISPLAY"};
  const std::string gtk = "FAKE GTK: hello\nRESULT box=1\n",
                    none = "caption\nhello\nRESULT box=1\n";
  const struct {
    std::map<std::string, std::string> env;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {{{"DISPLAY", ":99"}}, 0, gtk, ""},
      {{{"DISPLAY", ":99"}, {"RUZOZAZE_UI", "none"}}, 0, none, ""},
      {{{"DISPLAY", ":99"}, {"FAKE_GTK_NO_DISPLAY", "1"}}, 0, none, ""},
      {{{"WAYLAND_DISPLAY", ""}}, 0, none, ""},  // no display named: the module is not even loaded
      {{{"RUZOZAZE_UI", "gtk"}, {"DISPLAY", ":99"}, {"FAKE_GTK_NO_DISPLAY", "1"}},
       2,
       "",
       "RUZOZAZE_UI=gtk cannot be used: no display can be opened.\n"},
  };
  for (const auto& c : cases) {
    options.env = c.env;
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
}

}  // namespace
