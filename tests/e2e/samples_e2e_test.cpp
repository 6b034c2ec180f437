// Both jobs on programmes.xml and every listings file of the samples folder (listed when the
// tests run), compared with outside views of the same file: xmllint decides whether it is
// well-formed, the independent model expected_guide.py says which channel ids, schedule entries
// and programs must result, and the file compressed by the command-line tools must give what the
// plain file gives. programmes.xml holds each kind of programme child and every reason a
// programme or a clump member has no entry of its own.
#include <algorithm>
#include <sstream>

#include "tests/support/program_fixture.h"

namespace {

using testing_support::DumpGuide;
using testing_support::IsWellFormed;
using testing_support::QueryRows;

// The model's lines for the file ("channels" in document order, "entries" or "programs" sorted).
// A model that fails is a test failure and gives no lines.
std::vector<std::string> ModelLines(const std::string& what, const std::string& file) {
  const std::string script = RUZOZAZE_SOURCE_DIR "/tests/e2e/expected_guide.py";
  testing_support::RunResult result =
      testing_support::RunProgram({RUZOZAZE_PYTHON, {script, what, file}, {}, {}, {}});
  EXPECT_EQ(result.exitCode, 0) << "expected_guide.py " << what << " " << file << "\n"
                                << result.err;
  std::vector<std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);)
    lines.push_back(line);
  if (what != "channels")
    std::sort(lines.begin(), lines.end());
  return lines;
}

// The schedule entries stored, in the model's form (slot key|start|end|title|channel id or NULL),
// sorted; none when there is no database.
std::vector<std::string> StoredEntries(const std::string& database) {
  if (!std::filesystem::exists(database))
    return {};
  std::vector<std::string> rows = QueryRows(
      database,
      "SELECT e.slot_key, e.start_time, e.end_time, p.title, s.channel_id FROM schedule_entries e "
      "LEFT JOIN programs p ON p.id = e.program_id LEFT JOIN services s ON s.id = e.service_id");
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The programs of the schedule entries stored and the programs their clumps added, in the
// model's form, with the number of "Unused" lines in `log`; sorted.
std::vector<std::string> StoredPrograms(const std::string& database, const std::string& log) {
  std::vector<std::string> rows{std::to_string(testing_support::CountOf(log, " TRACE: Unused: '"))};
  for (std::string row : QueryRows(database,
                                   "SELECT e.slot_key, p.* FROM schedule_entries e JOIN programs p "
                                   "ON p.id = e.program_id")) {
    size_t id = row.find('|') + 1;  // the program's id is the database's own
    rows.push_back(row.erase(id, row.find('|', id) + 1 - id));
  }
  for (const std::string& row : QueryRows(
           database,
           "SELECT e.slot_key || '+' || group_concat(t, '+') FROM (SELECT x.entry_id AS i, "
           "p.title AS t FROM schedule_entry_programs x JOIN programs p ON p.id = x.program_id "
           "ORDER BY x.entry_id, x.seq) JOIN schedule_entries e ON e.id = i GROUP BY i"))
    rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The file as xz, and cut in two with each half a gzip member of its own (as `cat a.gz b.gz`
// makes them).
constexpr char kCompress[] =
    "s=$(stat -c %s \"$F\") && xz -c \"$F\" > l.xz && "
    "{ head -c $((s / 2)) \"$F\" | gzip; tail -c +$((s / 2 + 1)) \"$F\" | gzip; } > l.gz";

class SampleTest : public ProgramTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SampleTest, ImportAndExtractGiveTheModelsGuideFromEveryForm) {
  const std::string file = GetParam();
  const int exitCode = IsWellFormed(file) ? 0 : -1;
  ASSERT_EQ(Start("/bin/bash", {"-c", kCompress}, {{"F", file}}).exitCode, 0);
  std::string expected;
  for (const std::string& id : ModelLines("channels", file))
    expected += id + "\r\n";
  for (const std::string& form : {file, work + "/l.xz"}) {
    EXPECT_EQ(Run({"/x", form}).exitCode, exitCode) << form;
    EXPECT_EQ(ChannelsText(), expected) << form;
    EXPECT_EQ(ChannelsFileExists(), !expected.empty()) << form;
    std::filesystem::remove(work + "/channels.txt");
  }
  EXPECT_FALSE(std::filesystem::exists(database));

  // UTC stamps stay as they are, so the model need not know the machine's zone.
  auto r = Run({"/Logging:101", file}, {{"TZ", "UTC0"}});
  EXPECT_EQ(r.exitCode, exitCode) << r.err;
  EXPECT_TRUE(exitCode != 0 || LogShows(" TRACE: Removing entries older than 0 days\r\n"));
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", file));
  EXPECT_EQ(StoredPrograms(database, LogText()), ModelLines("programs", file));
  EXPECT_EQ(ChannelsText(), expected);
  if (!std::filesystem::exists(database))
    return;
  // With a services file, so that channels.txt is not written again with one write-through per
  // channel: the same listings again change nothing but ids, and so does a whole clean before
  // the compressed listings.
  Write("order.txt", "");
  Run({"/s:order.txt", file}, {{"TZ", "UTC0"}});
  std::vector<std::string> first = DumpGuide(database, file);
  EXPECT_EQ(Run({"/c", "/s:order.txt", "l.gz"}, {{"TZ", "UTC0"}}).exitCode, exitCode);
  EXPECT_EQ(DumpGuide(database, "l.gz"), first);
  // Entries of one service with calendar times never overlap, a whole clean before them or not.
  EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries a JOIN schedule_entries b ON "
                  "a.service_id = b.service_id AND a.id < b.id AND a.start_time < b.end_time AND "
                  "b.start_time < a.end_time WHERE '0000' NOT IN (substr(a.start_time, 1, 4), "
                  "substr(b.start_time, 1, 4))"),
            "0");
}

std::vector<std::string> ListingsFiles() {
  std::vector<std::string> files = testing_support::SampleFiles();
  files.insert(files.begin(), RUZOZAZE_SOURCE_DIR "/tests/e2e/programmes.xml");
  return files;
}

// Numbered cases: the test listing shows the file of each.
INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(ListingsFiles()));

}  // namespace
