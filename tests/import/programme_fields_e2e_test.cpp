// The real program imports every listings file of the samples folder into a real database: the
// program of each schedule entry holds what the independent model (expected_programs.py) reads
// from the file, and the log has one "Unused" line for each child the model finds unread.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace {

using namespace testing_support;

TEST(ProgrammeFields, EachEntryKeepsTheFieldsOfItsProgramme) {
  const std::filesystem::path samples = RUZOZAZE_SAMPLES_DIR;
  if (!std::filesystem::exists(samples))
    GTEST_SKIP() << "no samples folder " << samples.string();
  for (const auto& sample : std::filesystem::directory_iterator(samples)) {
    const std::string file = sample.path().string();
    if (sample.path().extension() != ".xml")
      continue;
    SCOPED_TRACE(file);
    TempDir dir;
    RunOptions run{CopyProgram(dir), {"/Logging:101", file}, {}, {}, dir.path()};
    run.env = {{"RUZOZAZE_UI", "none"},
               {"GLIMMERBOX_EPG_DB", dir / "epg.sqlite"},
               {"GLIMMERBOX_REGISTRY", dir / "registry.reg"},
               {"HOME", dir.path()},
               {"TZ", "UTC0"}};
    run.unset = {"XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"};
    RunProgram(run);
    RunResult model = RunProgram(
        {RUZOZAZE_PYTHON, {RUZOZAZE_SOURCE_DIR "/tests/import/expected_programs.py", file}});
    ASSERT_EQ(model.exitCode, 0) << model.err;
    std::set<std::string> expected;  // one line per entry, then the count of unused children
    std::istringstream lines(model.out);
    for (std::string line; std::getline(lines, line);)
      expected.insert(line);
    std::string log = ReadFile(run.program + ".log"), unused = " TRACE: Unused: '";
    size_t count = 0;
    for (size_t at = log.find(unused); at != log.npos; at = log.find(unused, at + 1))
      ++count;
    EXPECT_EQ(expected.count(std::to_string(count)), 1u) << count << " unused";
    if (!std::filesystem::exists(dir / "epg.sqlite"))
      continue;
    for (std::string row : QueryRows(dir / "epg.sqlite",
                                     "SELECT e.slot_key, p.* FROM "
                                     "schedule_entries e JOIN programs p ON p.id = e.program_id")) {
      size_t id = row.find('|') + 1;  // the program's id is the database's own
      EXPECT_EQ(expected.count(row.erase(id, row.find('|', id) + 1 - id)), 1u) << row;
    }
  }
}

}  // namespace
