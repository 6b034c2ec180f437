#include "epgdb/postgres/row_batch.h"

#include <libpq-fe.h>

namespace epgdb::postgres {
namespace {

// `insert` with its VALUES list for `rows` rows of `columns` parameters.
std::string Sql(std::string_view insert, int columns, int rows) {
  std::string sql(insert.substr(0, insert.rfind("VALUES") + 6));
  for (int row = 0, parameter = 1; row < rows; ++row) {
    sql += row == 0 ? "(" : ",(";
    for (int column = 0; column < columns; ++column, ++parameter)
      sql += (column == 0 ? "$" : ",$") + std::to_string(parameter);
    sql += ')';
  }
  return sql;
}

}  // namespace

bool RowBatch::Prepare(pg_conn* conn, const std::string& name, std::string_view insert,
                       int columns) {
  name_ = name;
  fullName_ = name + "x" + std::to_string(kRows);
  columns_ = columns;
  texts_.resize(size_t(kRows * columns));
  nulls_.resize(size_t(kRows * columns));
  PGresult* result =
      PQprepare(conn, fullName_.c_str(), Sql(insert, columns, kRows).c_str(), 0, nullptr);
  bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  PQclear(result);
  return ok;
}

void RowBatch::Add(const std::vector<const char*>& values) {
  size_t first = size_t(rows_++ * columns_);
  for (size_t i = 0; i < values.size(); ++i) {
    nulls_[first + i] = values[i] == nullptr;
    texts_[first + i].assign(values[i] != nullptr ? values[i] : "");
  }
}

std::vector<const char*> RowBatch::Values(int first, int count) const {
  std::vector<const char*> values(size_t(count * columns_));
  for (size_t i = 0, at = size_t(first * columns_); i < values.size(); ++i, ++at)
    values[i] = nulls_[at] ? nullptr : texts_[at].c_str();
  return values;
}

int RowBatch::Send(pg_conn* conn) {
  bool full = Full();
  int statements = full ? 1 : rows_;
  for (int first = 0; first < rows_; first += full ? kRows : 1) {
    std::vector<const char*> values = Values(first, full ? kRows : 1);
    if (PQsendQueryPrepared(conn, (full ? fullName_ : name_).c_str(), int(values.size()),
                            values.data(), nullptr, nullptr, 0) != 1)
      statements = -1;
  }
  rows_ = 0;
  return statements;
}

}  // namespace epgdb::postgres
