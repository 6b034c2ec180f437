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
  if (what == "entries")
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

std::vector<std::string> DumpGuide(const std::string& database, const std::string& fileName) {
  std::string program;
  for (const std::string& name :
       QueryRows(database, "SELECT name FROM pragma_table_info('programs') WHERE name <> 'id'"))
    program += ", quote(p." + name + ")";
  const std::vector<std::pair<std::string, std::string>> tables = {
      {"providers", "SELECT quote(name), quote(url) FROM providers"},
      {"services", "SELECT quote(channel_id), quote(name), quote(icon), position FROM services"},
      {"programs", "SELECT 0" + program + " FROM programs p"},
      {"schedule_entries",
       "SELECT quote(e.slot_key), quote(s.channel_id), quote(r.name), quote(e.start_time), "
       "quote(e.end_time)" +
           program +
           " FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
           "LEFT JOIN providers r ON r.id = e.provider_id LEFT JOIN programs p ON p.id = "
           "e.program_id"},
      {"schedule_entry_programs",
       "SELECT quote(e.slot_key), x.seq" + program +
           " FROM schedule_entry_programs x JOIN schedule_entries e ON e.id = x.entry_id "
           "LEFT JOIN programs p ON p.id = x.program_id"},
      {"metadata", "SELECT quote(key), quote(value) FROM metadata"},
  };
  std::vector<std::string> dump;
  for (const auto& [table, sql] : tables) {
    dump.push_back("[" + table + "]");
    std::vector<std::string> rows = QueryRows(database, sql);
    for (std::string& row : rows) {
      for (size_t at = row.find(fileName); !fileName.empty() && at != std::string::npos;
           at = row.find(fileName, at))
        row.replace(at, fileName.size(), "<file>");
    }
    std::sort(rows.begin(), rows.end());
    dump.insert(dump.end(), rows.begin(), rows.end());
  }
  return dump;
}

}  // namespace guide_model
