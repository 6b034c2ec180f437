#include "tests/support/guide_dump.h"

#include <algorithm>

#include "tests/support/sqlite_query.h"

namespace testing_support {
namespace {

// SQLite's quote() of a column, or the same in PostgreSQL's dialect, where a column has one type.
std::string Quote(bool server, const std::string& column, bool integer = false) {
  if (!server)
    return "quote(" + column + ")";
  if (integer)
    return "coalesce(" + column + "::text, 'NULL')";
  return "coalesce('''' || replace(" + column + ", '''', '''''') || '''', 'NULL')";
}

// ", quote(p.column)" for each column of programs but its id.
std::string ProgramColumns(const std::string& database, bool server) {
  std::string columns;
  for (const std::string& row :
       QueryRows(database, server ? "SELECT column_name, data_type = 'bigint' FROM "
                                    "information_schema.columns WHERE table_schema = "
                                    "'glimmerbox' AND table_name = 'programs' AND column_name "
                                    "<> 'id' ORDER BY ordinal_position"
                                  : "SELECT name, 0 FROM pragma_table_info('programs') WHERE "
                                    "name <> 'id'")) {
    size_t bar = row.find('|');
    columns += ", " + Quote(server, "p." + row.substr(0, bar), row.substr(bar + 1) == "t");
  }
  return columns;
}

}  // namespace

std::vector<std::string> DumpGuide(const std::string& database, const std::string& fileName) {
  bool server = database.starts_with("postgres");
  auto q = [server](const std::string& column) { return Quote(server, column); };
  std::string program = ProgramColumns(database, server);
  const std::vector<std::pair<std::string, std::string>> tables = {
      {"providers", "SELECT " + q("name") + ", " + q("url") + " FROM providers"},
      {"services", "SELECT " + q("channel_id") + ", " + q("name") + ", " + q("icon") +
                       ", position FROM services"},
      {"programs", "SELECT 0" + program + " FROM programs p"},
      {"schedule_entries",
       "SELECT " + q("e.slot_key") + ", " + q("s.channel_id") + ", " + q("r.name") + ", " +
           q("e.start_time") + ", " + q("e.end_time") + program +
           " FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
           "LEFT JOIN providers r ON r.id = e.provider_id LEFT JOIN programs p ON p.id = "
           "e.program_id"},
      {"schedule_entry_programs",
       "SELECT " + q("e.slot_key") + ", x.seq" + program +
           " FROM schedule_entry_programs x JOIN schedule_entries e ON e.id = x.entry_id "
           "LEFT JOIN programs p ON p.id = x.program_id"},
      // A server keeps the schema's version there too.
      {"metadata",
       "SELECT " + q("key") + ", " + q("value") + " FROM metadata WHERE key <> 'schema_version'"},
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
