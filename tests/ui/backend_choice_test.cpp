// The backend as the program chooses it, seen from a box shown without a terminal (standard input
// /dev/null): the GTK module beside the program when a display is named and opens, else none;
// RUZOZAZE_UI forces one.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_program.h"

namespace {

using namespace testing_support;

TEST(BackendChoice, TheGtkModuleWhenADisplayOpensElseNoneUnlessOneIsForced) {
  TempDir dir;
  std::string folder = std::filesystem::canonical(dir.path()).string();
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
    std::string out, err;
  } cases[] = {
      {{{"DISPLAY", ":99"}}, gtk, ""},
      {{{"DISPLAY", ":99"}, {"RUZOZAZE_UI", "none"}}, none, ""},
      {{{"DISPLAY", ":99"}, {"RUZOZAZE_UI", "tty"}}, none, "\r\x1b[K"},
      {{{"DISPLAY", ":99"}, {"FAKE_GTK_NO_DISPLAY", "1"}}, none, ""},
      {{{"WAYLAND_DISPLAY", ""}}, none, ""},  // no display named: the module is not even loaded
      {{{"RUZOZAZE_UI", "gtk"}, {"DISPLAY", ":99"}, {"FAKE_GTK_NO_DISPLAY", "1"}},
       "",
       "RUZOZAZE_UI=gtk cannot be used: no display can be opened.\n"},
      {{{"RUZOZAZE_UI", "curses"}},
       "",
       "RUZOZAZE_UI=curses cannot be used: it must be gtk, tty or none.\n"},
  };
  for (const auto& c : cases) {
    options.env = c.env;
    RunResult run = RunProgram(options);
    EXPECT_EQ(run.exitCode, c.out.empty() ? 2 : 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
  std::filesystem::remove(dir / "ruzozaze-gtk.so");
  options.env = {{"RUZOZAZE_UI", "gtk"}};
  EXPECT_EQ(RunProgram(options).err, "RUZOZAZE_UI=gtk cannot be used: the GTK module " + folder +
                                         "/ruzozaze-gtk.so cannot be loaded.\n");
}

}  // namespace
