#include "tests/support/sqlite_query.h"

#include <sqlite3.h>

#include <stdexcept>

#include "tests/support/pg_server.h"

namespace testing_support {

std::vector<std::string> QueryRows(const std::string& database, const std::string& sql) {
  if (database.starts_with("postgres"))
    return PgServer::QueryRows(database, sql);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + database);
  }
  // After a killed import the first reader recovers the journal, which others wait for.
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    std::string message = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error(message + " in " + sql);
  }
  std::vector<std::string> rows;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
      if (i > 0)
        row += '|';
      const unsigned char* text = sqlite3_column_text(statement, i);
      row += text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

std::string QueryValue(const std::string& database, const std::string& sql) {
  std::vector<std::string> rows = QueryRows(database, sql);
  return rows.empty() ? std::string() : rows.front();
}

}  // namespace testing_support
