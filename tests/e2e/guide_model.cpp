#include "tests/e2e/guide_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace guide_model {
namespace {

using testing_support::QueryRows;
using testing_support::QueryValue;

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Every row of every query, each prefixed with the query's label.
std::vector<std::string> LabelledRows(const std::string& database,
                                      const std::vector<std::pair<std::string, std::string>>& q) {
  std::vector<std::string> rows;
  for (const auto& [label, sql] : q) {
    for (const std::string& row : QueryRows(database, sql))
      rows.push_back(label + ": " + row);
  }
  return rows;
}

}  // namespace

std::vector<std::string> SampleFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(RUZOZAZE_SAMPLES_DIR, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".xml")
      files.push_back(entry.path().filename().string());
  }
  return Sorted(files);
}

std::string SampleTestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(0, info.param.rfind('.'));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)))
      c = '_';
  }
  return name;
}

bool IsWellFormed(const std::string& file) {
  testing_support::RunOptions options;
  options.program = RUZOZAZE_XMLLINT;
  options.args = {"--noout", "--nonet", file};
  return testing_support::RunProgram(options).exitCode == 0;
}

std::vector<std::string> ModelLines(const std::string& what, const std::string& file) {
  testing_support::RunOptions options;
  options.program = RUZOZAZE_PYTHON;
  options.args = {RUZOZAZE_SOURCE_DIR "/tests/e2e/expected_guide.py", what, file};
  testing_support::RunResult result = testing_support::RunProgram(options);
  EXPECT_EQ(result.exitCode, 0) << "expected_guide.py " << what << " " << file << "\n"
                                << result.err;
  std::vector<std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);)
    lines.push_back(line);
  return what == "entries" ? Sorted(lines) : lines;
}

std::string ChannelsFileText(const std::string& file) {
  std::string text;
  for (const std::string& id : ModelLines("channels", file))
    text += id + "\r\n";
  return text;
}

std::vector<std::string> StoredEntries(const std::string& database) {
  if (!std::filesystem::exists(database))
    return {};
  return Sorted(QueryRows(database,
                          "SELECT e.slot_key, e.start_time, e.end_time, p.title, "
                          "s.channel_id FROM schedule_entries e "
                          "LEFT JOIN programs p ON p.id = e.program_id "
                          "LEFT JOIN services s ON s.id = e.service_id"));
}

std::vector<std::string> GuideContent(const std::string& database) {
  std::string program =
      QueryValue(database,
                 "SELECT group_concat('p.' || name, ', ') FROM pragma_table_info('programs') "
                 "WHERE name <> 'id'");
  std::vector<std::pair<std::string, std::string>> queries = {
      {"provider", "SELECT name, url FROM providers"},
      {"service", "SELECT channel_id, name, icon, position FROM services"},
      {"metadata", "SELECT key, value FROM metadata"},
      {"program", "SELECT " + program + " FROM programs p"},
      {"entry", "SELECT e.slot_key, s.channel_id, r.name, e.start_time, e.end_time, " + program +
                    " FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
                    "LEFT JOIN providers r ON r.id = e.provider_id "
                    "LEFT JOIN programs p ON p.id = e.program_id"},
      {"clump member",
       "SELECT e.slot_key, x.seq, " + program +
           " FROM schedule_entry_programs x JOIN schedule_entries e ON e.id = x.entry_id "
           "LEFT JOIN programs p ON p.id = x.program_id"},
  };
  for (const std::string& table :
       QueryRows(database, "SELECT name FROM sqlite_master WHERE type = 'table'")) {
    queries.push_back({"rows in " + table, "SELECT count(*) FROM \"" + table + "\""});
  }
  return Sorted(LabelledRows(database, queries));
}

}  // namespace guide_model
