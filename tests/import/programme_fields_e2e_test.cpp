// The real program imports every listings file of the samples folder into a real database: the
// program of each schedule entry holds what the independent model (expected_programs.py) reads
// from the file, and the log has one "Unused" line for each child the model finds unread.
#include <sstream>

#include "tests/e2e/guide_model.h"
#include "tests/e2e/program_fixture.h"

namespace {

std::vector<std::string> Model(const std::string& what, const std::string& file) {
  testing_support::RunOptions options;
  options.program = RUZOZAZE_PYTHON;
  options.args = {RUZOZAZE_SOURCE_DIR "/tests/import/expected_programs.py", what, file};
  testing_support::RunResult result = testing_support::RunProgram(options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);)
    lines.push_back(line);
  return lines;
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

class ProgrammeFieldsTest : public ProgramTest, public ::testing::WithParamInterface<std::string> {
 protected:
  // The program of every stored entry as the model writes it.
  std::vector<std::string> StoredPrograms() {
    if (!std::filesystem::exists(database))
      return {};
    std::string columns;
    for (const char* name : {"title",       "sub_title", "description",      "category",
                             "directors",   "actors",    "presenters",       "date",
                             "star_rating", "subtitles", "previously_shown", "rating",
                             "country",     "language",  "orig_language",    "episode_number",
                             "colour",      "aspect",    "audio_present",    "video_present",
                             "stereo",      "length",    "premiere",         "last_chance",
                             "is_new"}) {
      columns += std::string(", p.") + name;
    }
    return Rows("SELECT e.slot_key" + columns +
                " FROM schedule_entries e JOIN programs p ON p.id = e.program_id");
  }
};

TEST_P(ProgrammeFieldsTest, EachEntryKeepsTheFieldsOfItsProgramme) {
  std::string file = Sample(GetParam());
  auto r = Run({"/Logging:101", file}, {{"TZ", "UTC0"}});
  EXPECT_EQ(r.exitCode, guide_model::IsWellFormed(file) ? 0 : -1) << r.err;
  std::vector<std::string> model = Model("programs", file);
  for (const std::string& row : StoredPrograms()) {
    std::string key = row.substr(0, row.find('|'));
    auto expected = std::find_if(model.begin(), model.end(), [&](const std::string& line) {
      return line.compare(0, key.size() + 1, key + "|") == 0;
    });
    ASSERT_NE(expected, model.end()) << row;
    EXPECT_EQ(row, *expected);
  }
  std::vector<std::string> unused = Model("unused", file);
  ASSERT_EQ(unused.size(), 1u);
  EXPECT_EQ(Occurrences(LogText(), "TRACE: Unused: '"), std::stoul(unused[0]));
}

INSTANTIATE_TEST_SUITE_P(Samples, ProgrammeFieldsTest,
                         ::testing::ValuesIn(guide_model::SampleFiles()),
                         guide_model::SampleTestName);

}  // namespace
