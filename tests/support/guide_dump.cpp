#include "tests/support/guide_dump.h"

#include <algorithm>

#include "tests/support/sqlite_query.h"

namespace testing_support {

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

}  // namespace testing_support
