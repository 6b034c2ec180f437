// The rows of an INSERT collected to reach the server as one prepared statement with a VALUES
// list of many rows: the server sets its executor up once for them all, where for a single row
// that set-up costs it more than the insert. Rows sent before the batch is full go one by one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct pg_conn;

namespace epgdb::postgres {

class RowBatch {
 public:
  // The statement of one row is prepared as `name`, and ends with its VALUES list of `columns`
  // parameters; prepares the statement of a full batch beside it. False on failure.
  bool Prepare(pg_conn* conn, const std::string& name, std::string_view insert, int columns);

  int Rows() const { return rows_; }
  bool Full() const { return rows_ == kRows; }
  // Copies a row in (null for NULL).
  void Add(const std::vector<const char*>& values);
  // Sends the full batch as one statement, else each row as a statement, without waiting for the
  // results, and empties the batch. The number of statements sent; -1 when libpq refuses.
  int Send(pg_conn* conn);

 private:
  static constexpr int kRows = 64;

  // The parameters of `count` rows from `first` on.
  std::vector<const char*> Values(int first, int count) const;

  std::string name_;
  std::string fullName_;
  int columns_ = 0;
  std::vector<std::string> texts_;
  std::vector<bool> nulls_;
  int rows_ = 0;
};

}  // namespace epgdb::postgres
