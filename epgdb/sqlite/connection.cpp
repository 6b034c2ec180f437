#include "epgdb/sqlite/connection.h"

#include <sqlite3.h>

#include <utility>

namespace epgdb::sqlite {

bool Connection::Open(const std::string& path) {
  // No statistics of SQLite's memory use: keeping them takes a global lock at every allocation.
  // Only possible before SQLite initialises; later it is refused, which changes nothing.
  static const int kConfigured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)kConfigured;
  Close();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return false;
  }
  db_ = db;
  broken_ = false;
  return true;
}

void Connection::Close() {
  if (db_ == nullptr)
    return;
  if (InTransaction())
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(std::exchange(db_, nullptr));
}

void Connection::SetBusyTimeout(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}

bool Connection::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK)
    NoteFailure(rc);
  return rc == SQLITE_OK;
}

int64_t Connection::LastInsertRowid() const {
  return sqlite3_last_insert_rowid(db_);
}

int64_t Connection::Changes() const {
  return sqlite3_changes64(db_);
}

bool Connection::InTransaction() const {
  return db_ != nullptr && !sqlite3_get_autocommit(db_);
}

void Connection::NoteFailure(int code) {
  switch (code & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_NOMEM:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      broken_ = true;
      break;
    default:
      if (!InTransaction())
        broken_ = true;
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)),
      connection_(other.connection_),
      failed_(other.failed_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  std::swap(stmt_, other.stmt_);
  std::swap(connection_, other.connection_);
  std::swap(failed_, other.failed_);
  return *this;
}

bool Statement::Prepare(Connection& connection, std::string_view sql) {
  sqlite3_finalize(std::exchange(stmt_, nullptr));
  connection_ = &connection;
  int rc = sqlite3_prepare_v3(connection.handle(), sql.data(), int(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  return rc == SQLITE_OK && stmt_ != nullptr;
}

void Statement::Bind(int index, std::string_view text) {
  sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_STATIC);
}

void Statement::Bind(int index, int64_t number) {
  sqlite3_bind_int64(stmt_, index, number);
}

void Statement::BindNull(int index) {
  sqlite3_bind_null(stmt_, index);
}

bool Statement::Step() {
  // Nothing runs on a closed database, nor after a failure that may have ended the transaction:
  // it would run, and be committed, on its own.
  if (stmt_ == nullptr || connection_->Broken()) {
    failed_ = true;
    return false;
  }
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW)
    return true;
  if (rc != SQLITE_DONE) {
    failed_ = true;
    connection_->NoteFailure(rc);
  }
  return false;
}

void Statement::Reset() {
  failed_ = false;
  if (stmt_ == nullptr)
    return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t Statement::ColumnInt64(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string Statement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text == nullptr ? std::string() : std::string(text, sqlite3_column_bytes(stmt_, column));
}

Value Statement::ColumnValue(int column) const {
  switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL:
      return Value();
    case SQLITE_INTEGER:
      return ColumnInt64(column);
    default:
      return ColumnText(column);
  }
}

}  // namespace epgdb::sqlite
