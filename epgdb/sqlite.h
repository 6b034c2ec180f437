// Owners of SQLite's C handles: a connection and its prepared statements. A statement is used as
// bind, step, read, Reset; errors leave a note on the connection (see Connection::Broken).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

struct sqlite3;
struct sqlite3_stmt;

namespace epgdb {

// A column value: NULL, text or integer.
using Value = std::variant<std::monostate, std::string, int64_t>;

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

class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Compiles `sql` once for repeated use. On failure returns false and stays empty.
  bool Prepare(Connection& connection, std::string_view sql);

  // Parameters count from 1. Text is not copied: it must stay as it is until the statement is
  // reset (Run resets), so temporaries are refused.
  void Bind(int index, const Value& value);
  void Bind(int index, std::string_view text);
  void Bind(int index, const std::string& text) { Bind(index, std::string_view(text)); }
  void Bind(int index, Value&& value) = delete;
  void Bind(int index, std::string&& text) = delete;
  void Bind(int index, int64_t number);
  // Binds 0 as NULL: for row ids, which start at 1.
  void BindId(int index, int64_t id);

  // Steps once: true when a row is ready to read; false when done or failed (see Failed). Fails
  // at once on a broken connection.
  bool Step();
  // Runs to the end and resets. True on success.
  bool Run();
  // Makes the statement ready for new parameters.
  void Reset();
  bool Failed() const { return failed_; }

  int64_t ColumnInt64(int column) const;
  std::string ColumnText(int column) const;
  // NULL, text or integer, as stored.
  Value ColumnValue(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  Connection* connection_ = nullptr;
  bool failed_ = false;
};

}  // namespace epgdb
