// The real program imports every listings file of the samples folder into a real database: the
// program of each schedule entry holds what the independent model (expected_programs.py) reads
// from the file, and the log has one "Unused" line for each child the model finds unread.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace {

using namespace testing_support;

std::vector<std::string> Model(const std::string& what, const std::string& file) {
  RunOptions options;
  options.program = RUZOZAZE_PYTHON;
  options.args = {RUZOZAZE_SOURCE_DIR "/tests/import/expected_programs.py", what, file};
  RunResult result = RunProgram(options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);)
    lines.push_back(line);
  return lines;
}

TEST(ProgrammeFields, EachEntryKeepsTheFieldsOfItsProgramme) {
  const std::filesystem::path samples = RUZOZAZE_SAMPLES_DIR;
  if (!std::filesystem::exists(samples))
    GTEST_SKIP() << "no samples folder " << samples.string();
  for (const auto& sample : std::filesystem::directory_iterator(samples)) {
    if (sample.path().extension() != ".xml")
      continue;
    const std::string file = sample.path().string();
    SCOPED_TRACE(file);
    TempDir dir;
    RunOptions options;
    options.program = CopyProgram(dir);
    options.args = {"/Logging:101", file};
    options.cwd = dir.path();
    options.env = {{"RUZOZAZE_UI", "none"},
                   {"GLIMMERBOX_EPG_DB", dir / "epg.sqlite"},
                   {"GLIMMERBOX_REGISTRY", dir / "registry.reg"},
                   {"HOME", dir.path()},
                   {"TZ", "UTC0"}};
    options.unset = {"XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"};
    RunProgram(options);

    std::map<std::string, std::string> expected;  // by slot key
    for (const std::string& line : Model("programs", file))
      expected[line.substr(0, line.find('|'))] = line;
    if (std::filesystem::exists(dir / "epg.sqlite")) {
      for (const std::string& row : QueryRows(dir / "epg.sqlite",
                                              "SELECT e.slot_key, p.* FROM schedule_entries e "
                                              "JOIN programs p ON p.id = e.program_id")) {
        // The program's id, after the slot key, is the database's own.
        std::string key = row.substr(0, row.find('|'));
        std::string columns = row.substr(row.find('|', key.size() + 1));
        EXPECT_EQ(key + columns, expected[key]);
      }
    }
    std::string log = ReadFile(options.program + ".log");
    const std::string line = " TRACE: Unused: '";
    size_t unused = 0;
    for (size_t at = log.find(line); at != log.npos; at = log.find(line, at + 1))
      ++unused;
    EXPECT_EQ(std::to_string(unused), Model("unused", file).at(0));
  }
}

}  // namespace
