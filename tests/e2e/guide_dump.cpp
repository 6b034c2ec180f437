#include "tests/e2e/guide_dump.h"

#include <gtest/gtest.h>

#include "tests/support/sqlite_query.h"

namespace testing_support {
namespace {

// "quote(p.title), quote(p.sub_title), ...": every column of programs but its id, unambiguous.
std::string ProgramColumns(const std::string& database) {
  std::string columns;
  for (const std::string& name : QueryRows(
           database,
           "SELECT name FROM pragma_table_info('programs') WHERE name <> 'id' ORDER BY cid")) {
    columns += (columns.empty() ? "quote(p." : ", quote(p.") + name + ")";
  }
  return columns;
}

std::string Replaced(std::string text, const std::string& what, const std::string& by) {
  for (size_t at = text.find(what); !what.empty() && at != std::string::npos;
       at = text.find(what, at + by.size())) {
    text.replace(at, what.size(), by);
  }
  return text;
}

}  // namespace

std::vector<std::string> DumpGuide(const std::string& database, const std::string& fileName) {
  // A table added to the schema must be added here too.
  EXPECT_EQ(
      QueryRows(database, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
      (std::vector<std::string>{"metadata", "programs", "providers", "schedule_entries",
                                "schedule_entry_programs", "services"}));
  std::string program = ProgramColumns(database);
  std::vector<std::string> dump;
  auto add = [&](const std::string& table, const std::string& sql) {
    dump.push_back("[" + table + "]");
    for (const std::string& row : QueryRows(database, sql))
      dump.push_back(Replaced(row, fileName, "<file>"));
  };
  add("providers", "SELECT quote(name), quote(url) FROM providers ORDER BY name");
  add("services",
      "SELECT quote(channel_id), quote(name), quote(icon), quote(position) FROM services "
      "ORDER BY channel_id");
  add("programs", "SELECT " + program + " FROM programs p ORDER BY " + program);
  add("schedule_entries",
      "SELECT quote(e.slot_key), quote(s.channel_id), quote(r.name), quote(e.start_time), "
      "quote(e.end_time), " +
          program +
          " FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id "
          "LEFT JOIN providers r ON r.id = e.provider_id LEFT JOIN programs p ON p.id = "
          "e.program_id ORDER BY e.slot_key");
  add("schedule_entry_programs",
      "SELECT quote(e.slot_key), x.seq, " + program +
          " FROM schedule_entry_programs x JOIN schedule_entries e ON e.id = x.entry_id "
          "LEFT JOIN programs p ON p.id = x.program_id ORDER BY e.slot_key, x.seq");
  add("metadata", "SELECT quote(key), quote(value) FROM metadata ORDER BY key");
  return dump;
}

}  // namespace testing_support
