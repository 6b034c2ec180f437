// The PostgreSQL text of every statement the component runs, prepared once when the database is
// opened. The importer numbers the rows it inserts itself, from the highest id stored.
#pragma once

#include <array>

#include "epgdb/postgres/connection.h"
#include "epgdb/postgres/key_filter.h"
#include "epgdb/sql.h"

namespace epgdb::postgres {

class Statements {
 public:
  // Reads the highest ids and the slot keys stored, and prepares every statement. On failure
  // returns false.
  bool Prepare(Connection& connection);
  Statement& operator[](Sql id) { return statements_[size_t(id)]; }
  int64_t LastInsertRowid() const { return lastId_; }
  // Makes every statement fail from now on.
  void Detach();
  // Every row was deleted.
  void ForgetKeys() { keys_.Clear(); }

 private:
  bool ReadHighestIds(Connection& connection);
  bool ReadKeys(Connection& connection);

  std::array<Statement, kSqlCount> statements_;
  // The last id given out in each table that the statements insert into (providers, services,
  // programs, schedule_entries).
  std::array<int64_t, 4> nextIds_{};
  int64_t lastId_ = 0;
  KeyFilter keys_;
};

}  // namespace epgdb::postgres
