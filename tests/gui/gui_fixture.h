// A GUI test runs the real program with its gtk module on a virtual display of its own: copies
// of the program and the module in the test's folder, a database, a registry file and a working
// folder. It is skipped where Xvfb or xdotool is not installed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/gui/gui_session.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

class GuiTest : public ::testing::Test {
 protected:
  // Time for a window to come up, generous for sanitizer builds on a busy machine.
  static constexpr double kAppear = 30;

  void SetUp() override {
    if (gui_testing::FindOnPath("Xvfb").empty() || gui_testing::FindOnPath("xdotool").empty())
      GTEST_SKIP() << "Xvfb and xdotool are needed for the GUI tests";
    std::filesystem::create_directory(work);
    std::filesystem::copy_file(RUZOZAZE_GTK_MODULE, dir / "ruzozaze-gtk.so");
    display = std::make_unique<gui_testing::VirtualDisplay>();
    ASSERT_NE(display->name(), "") << "Xvfb did not start";
    desktop = std::make_unique<gui_testing::Desktop>(display->name());
  }

  // Starts the program in the working folder with the gtk backend (or, with `chosen` false,
  // with the backend it chooses itself).
  void Start(std::vector<std::string> args, std::map<std::string, std::string> env = {},
             bool chosen = true) {
    testing_support::RunOptions options;
    options.program = program;
    options.args = std::move(args);
    options.cwd = work;
    options.env = {{"DISPLAY", display->name()},
                   {"GLIMMERBOX_EPG_DB", database},
                   {"GLIMMERBOX_REGISTRY", registry},
                   {"HOME", dir.path()},
                   {"NO_AT_BRIDGE", "1"},
                   {"GSETTINGS_BACKEND", "memory"},
                   {"LSAN_OPTIONS", "suppressions=" RUZOZAZE_SOURCE_DIR "/tests/gui/lsan.supp"}};
    if (chosen)
      options.env["RUZOZAZE_UI"] = "gtk";
    for (auto& [name, value] : env)
      options.env[name] = value;
    options.unset = {"RUZOZAZE_UI", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "WAYLAND_DISPLAY"};
    running = std::make_unique<gui_testing::BackgroundProgram>(options);
  }

  testing_support::RunResult Finish(double seconds) { return running->Wait(seconds); }

  // Why an awaited window did not come: whether the program ended, and how.
  std::string Ended() {
    if (running->IsRunning())
      return "the program is still running";
    testing_support::RunResult run = running->Wait(0);
    return "the program ended with " + std::to_string(run.exitCode) + ": " + run.err;
  }

  long Count(const std::string& table) const {
    return std::stol(Value("SELECT count(*) FROM " + table));
  }
  std::string Value(const std::string& sql) const {
    return testing_support::QueryValue(database, sql);
  }
  static std::string Sample(const std::string& name) {
    return std::string(RUZOZAZE_SAMPLES_DIR) + "/" + name;
  }

  testing_support::TempDir dir;
  std::string program = testing_support::CopyProgram(dir);
  std::string database = dir / "epg.sqlite";
  std::string registry = dir / "registry.reg";
  std::string work = dir / "work";
  std::unique_ptr<gui_testing::VirtualDisplay> display;
  std::unique_ptr<gui_testing::Desktop> desktop;
  std::unique_ptr<gui_testing::BackgroundProgram> running;
};
