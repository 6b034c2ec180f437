// Owners of SQLite's C handles: a connection and its prepared statements. Errors leave a note on
// the connection (see Connection::Broken).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "epgdb/store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace epgdb::sqlite {

class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens or creates the database file. On failure returns false and stays closed.
  bool Open(const std::string& path);
  // Rolls back an open transaction and closes the file.
  void Close();

  void SetBusyTimeout(int milliseconds);
  // Runs fixed SQL without parameters (pragmas, schema, transaction control). True on success.
  bool Exec(const char* sql);
  int64_t LastInsertRowid() const;
  // The rows the last finished statement inserted, changed or deleted.
  int64_t Changes() const;
  bool InTransaction() const;

  // True once a statement failed in a way that loses data (disk full, I/O error, out of memory,
  // corruption) or ended the transaction: nothing written afterwards may be committed.
  bool Broken() const { return broken_; }
  void NoteFailure(int code);

  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::atomic<bool> broken_ = false;  // read on any thread
};

class Statement final : public epgdb::Statement {
 public:
  Statement() = default;
  ~Statement() override;
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Compiles `sql` once for repeated use. On failure returns false and stays empty.
  bool Prepare(Connection& connection, std::string_view sql);

  using epgdb::Statement::Bind;
  void Bind(int index, std::string_view text) override;
  void Bind(int index, int64_t number) override;
  void BindNull(int index) override;

  bool Step() override;
  void Reset() override;
  bool Failed() const override { return failed_; }

  int64_t ColumnInt64(int column) const override;
  std::string ColumnText(int column) const override;
  Value ColumnValue(int column) const override;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  Connection* connection_ = nullptr;
  bool failed_ = false;
};

}  // namespace epgdb::sqlite
