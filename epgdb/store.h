// The database engine under the component. A store holds one opened database with the import's
// transaction and the prepared statements; a statement is used as bind, step, read, Reset.
// Errors leave a note on the store (see Store::Broken).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "epgdb/sql.h"

namespace epgdb {

// A column value: NULL, text or integer.
using Value = std::variant<std::monostate, std::string, int64_t>;

class Statement {
 public:
  virtual ~Statement() = default;

  // Parameters count from 1. Text is not copied: it must stay as it is until the statement is
  // reset (Run resets), so temporaries are refused.
  void Bind(int index, const Value& value);
  virtual void Bind(int index, std::string_view text) = 0;
  void Bind(int index, const std::string& text) { Bind(index, std::string_view(text)); }
  void Bind(int index, Value&& value) = delete;
  void Bind(int index, std::string&& text) = delete;
  virtual void Bind(int index, int64_t number) = 0;
  virtual void BindNull(int index) = 0;
  // Binds 0 as NULL: for row ids, which start at 1.
  void BindId(int index, int64_t id);

  // Steps once: true when a row is ready to read; false when done or failed (see Failed). Fails
  // at once on a broken store.
  virtual bool Step() = 0;
  // Runs to the end and resets. True on success. A store that sends such statements in batches
  // may learn of a failure only later, and then breaks.
  virtual bool Run();
  // Makes the statement ready for new parameters.
  virtual void Reset() = 0;
  virtual bool Failed() const = 0;

  virtual int64_t ColumnInt64(int column) const = 0;
  virtual std::string ColumnText(int column) const = 0;
  // NULL, text or integer, as stored.
  virtual Value ColumnValue(int column) const = 0;
};

class Store {
 public:
  virtual ~Store() = default;

  virtual Statement& operator[](Sql id) = 0;
  // The row id the last insert made.
  virtual int64_t LastInsertRowid() const = 0;
  // The rows the last finished statement inserted, changed or deleted.
  virtual int64_t Changes() = 0;
  // True once a statement failed in a way that loses data or ended the transaction: nothing
  // written afterwards may be committed.
  virtual bool Broken() const = 0;
  // Inside the transaction: deletes every row of every table. True on success.
  virtual bool DeleteAllRows() = 0;
  // Commits the transaction, or rolls it back when that fails. True once committed.
  virtual bool Commit() = 0;
  // Rolls back what was not committed and closes the database; the statements then fail.
  virtual void Close() = 0;
};

// Opens the database `location` names (a PostgreSQL URI, else a SQLite file), begins the import's
// transaction, waiting up to `waitMs` for another import to end, and creates or checks the schema.
// `filePragmas` tune a SQLite file. Returns null on failure, with nothing changed.
std::unique_ptr<Store> OpenStore(const std::string& location, int waitMs, const char* filePragmas);

}  // namespace epgdb
