// The SQLite text of every statement the component runs, prepared once when the database is
// opened.
#pragma once

#include <array>

#include "epgdb/sql.h"
#include "epgdb/sqlite/connection.h"

namespace epgdb::sqlite {

class Statements {
 public:
  // Prepares every statement. On failure (a schema that does not match) returns false.
  bool Prepare(Connection& connection);
  Statement& operator[](Sql id) { return statements_[size_t(id)]; }

 private:
  std::array<Statement, kSqlCount> statements_;
};

}  // namespace epgdb::sqlite
