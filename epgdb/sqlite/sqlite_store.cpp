#include "epgdb/sqlite/sqlite_store.h"

#include "epgdb/location.h"
#include "epgdb/sqlite/connection.h"
#include "epgdb/sqlite/schema.h"
#include "epgdb/sqlite/statements.h"

namespace epgdb::sqlite {
namespace {

class SqliteStore final : public Store {
 public:
  bool Begin(const std::string& path, int waitMs, const char* pragmas) {
    if (!CreateParentFolders(path) || !connection_.Open(path))
      return false;
    connection_.SetBusyTimeout(waitMs);
    return connection_.Exec(pragmas) && connection_.Exec("BEGIN IMMEDIATE") &&
           EnsureSchema(connection_) && statements_.Prepare(connection_);
  }

  Statement& operator[](Sql id) override { return statements_[id]; }
  int64_t LastInsertRowid() const override { return connection_.LastInsertRowid(); }
  int64_t Changes() override { return connection_.Changes(); }
  bool Broken() const override { return connection_.Broken(); }
  bool DeleteAllRows() override { return sqlite::DeleteAllRows(connection_); }

  bool Commit() override {
    bool saved = connection_.Exec("COMMIT");
    if (!saved && connection_.InTransaction())
      connection_.Exec("ROLLBACK");
    return saved;
  }

  void Close() override {
    statements_ = Statements();
    connection_.Close();
  }

 private:
  Connection connection_;
  Statements statements_;
};

}  // namespace

std::unique_ptr<Store> OpenStore(const std::string& path, int waitMs, const char* pragmas) {
  auto store = std::make_unique<SqliteStore>();
  if (!store->Begin(path, waitMs, pragmas))
    return nullptr;
  return store;
}

}  // namespace epgdb::sqlite
