#include "tests/e2e/guide_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace guide_model {

using testing_support::QueryRows;

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

}  // namespace guide_model
