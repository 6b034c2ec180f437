// End-to-end tests run the real program in a folder of their own: its copy of the program (so the
// log file is its own), a database, a registry file and a working folder, with no user interface.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { std::filesystem::create_directory(work); }

  // Runs the program in the working folder with the given arguments.
  testing_support::RunResult Run(std::vector<std::string> args,
                                 std::map<std::string, std::string> env = {}) {
    testing_support::RunOptions options;
    options.program = program;
    options.args = std::move(args);
    options.cwd = work;
    options.env = Environment();
    options.env["RUZOZAZE_UI"] = "none";
    for (auto& [name, value] : env)
      options.env[name] = value;
    options.unset = kUnset;
    return testing_support::RunProgram(options);
  }

  // Gives the test's own process the environment of Run, without a forced user interface, for
  // the programs it starts on a pseudo-terminal.
  void ExportEnvironment() const {
    for (const std::string& name : kUnset)
      unsetenv(name.c_str());
    for (const auto& [name, value] : Environment())
      setenv(name.c_str(), value.c_str(), 1);
  }

  std::string LogText() const { return testing_support::ReadFile(program + ".log"); }
  std::string ChannelsText() const { return testing_support::ReadFile(work + "/channels.txt"); }
  bool ChannelsFileExists() const { return std::filesystem::exists(work + "/channels.txt"); }
  std::vector<std::string> Rows(const std::string& sql) const {
    return testing_support::QueryRows(database, sql);
  }
  std::string Value(const std::string& sql) const {
    return testing_support::QueryValue(database, sql);
  }
  long Count(const std::string& table) const {
    return std::stol(Value("SELECT count(*) FROM " + table));
  }
  static std::string Sample(const std::string& name) {
    return std::string(RUZOZAZE_SAMPLES_DIR) + "/" + name;
  }

  std::map<std::string, std::string> Environment() const {
    return {
        {"GLIMMERBOX_EPG_DB", database}, {"GLIMMERBOX_REGISTRY", registry}, {"HOME", dir.path()}};
  }
  inline static const std::vector<std::string> kUnset = {"XDG_DATA_HOME", "DISPLAY",
                                                         "WAYLAND_DISPLAY"};

  testing_support::TempDir dir;
  std::string program = testing_support::CopyProgram(dir);
  std::string database = dir / "epg.sqlite";
  std::string registry = dir / "registry.reg";
  std::string work = dir / "work";
};
