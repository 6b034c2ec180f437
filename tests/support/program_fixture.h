// End-to-end tests run the real program in a folder of their own: its copy of the program (so the
// log file is its own), a database, a registry file and a working folder, with no user interface.
// Also the listings files of the samples folder, which may be absent.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/guide_dump.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

// Ends the test as skipped, naming the folder, when the samples folder is absent.
#define SKIP_WITHOUT_SAMPLES()                              \
  if (!std::filesystem::is_directory(RUZOZAZE_SAMPLES_DIR)) \
  GTEST_SKIP() << "samples folder absent: " << RUZOZAZE_SAMPLES_DIR

namespace testing_support {

// The paths of the listings files (*.xml) in the samples folder, sorted; none when it is absent.
inline std::vector<std::string> SampleFiles() {
  std::vector<std::string> files;
  std::error_code absent;
  for (const auto& entry : std::filesystem::directory_iterator(RUZOZAZE_SAMPLES_DIR, absent)) {
    if (entry.path().extension() == ".xml")
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// True when xmllint finds the file well-formed.
inline bool IsWellFormed(const std::string& file) {
  return RunProgram({FindOnPath("xmllint"), {"--noout", "--nonet", file}, {}, {}, {}}).exitCode ==
         0;
}

}  // namespace testing_support

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { std::filesystem::create_directory(work); }

  // Runs the program in the working folder with the given arguments.
  testing_support::RunResult Run(std::vector<std::string> args,
                                 std::map<std::string, std::string> env = {}) {
    return Start(program, std::move(args), std::move(env));
  }
  // Runs `command` in the working folder with the test's environment below `env`.
  testing_support::RunResult Start(const std::string& command, std::vector<std::string> args,
                                   std::map<std::string, std::string> env = {}) const {
    return testing_support::RunProgram(Options(command, std::move(args), std::move(env)));
  }
  // How Start runs `command`: without a user interface unless `env` names one ("" lets the
  // program choose).
  testing_support::RunOptions Options(const std::string& command, std::vector<std::string> args,
                                      std::map<std::string, std::string> env = {}) const {
    testing_support::RunOptions options;
    options.program = command;
    options.args = std::move(args);
    options.env = std::move(env);
    options.cwd = work;
    options.env.insert({{"RUZOZAZE", program},
                        {"RUZOZAZE_UI", "none"},
                        {"GLIMMERBOX_EPG_DB", database},
                        {"GLIMMERBOX_REGISTRY", registry},
                        {"HOME", dir.path()}});
    options.unset = {"XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"};
    return options;
  }

  // Writes a file into the working folder and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    testing_support::WriteFile(work + "/" + name, content);
    return work + "/" + name;
  }

  std::string LogText() const { return testing_support::ReadFile(program + ".log"); }
  bool LogShows(const std::string& text) const { return LogText().find(text) != std::string::npos; }
  std::string ChannelsText() const { return testing_support::ReadFile(work + "/channels.txt"); }
  bool ChannelsFileExists() const { return std::filesystem::exists(work + "/channels.txt"); }
  std::vector<std::string> Rows(const std::string& sql) const {
    return testing_support::QueryRows(database, sql);
  }
  std::string Value(const std::string& sql) const {
    return testing_support::QueryValue(database, sql);
  }
  // The guide in the database (or in `file`), as testing_support::DumpGuide gives it.
  std::vector<std::string> Guide(const std::string& file = "") const {
    return testing_support::DumpGuide(file.empty() ? database : file);
  }
  long Count(const std::string& table) const {
    return std::stol(Value("SELECT count(*) FROM " + table));
  }

  testing_support::TempDir dir;
  std::string program = testing_support::CopyProgram(dir);
  std::string database = dir / "epg.sqlite";
  std::string registry = dir / "registry.reg";
  std::string work = dir / "work";
};
