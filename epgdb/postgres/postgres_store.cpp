#include "epgdb/postgres/postgres_store.h"

#include <string>

#include "diag/log.h"
#include "epgdb/postgres/connection.h"
#include "epgdb/postgres/schema.h"
#include "epgdb/postgres/statements.h"

namespace epgdb::postgres {
namespace {

// The advisory lock that one import at a time holds on a database ("GLIMMERB" in ASCII).
constexpr char kLock[] = "SELECT pg_advisory_lock(5137561871280591426)";

class PostgresStore final : public Store {
 public:
  bool Begin(const std::string& uri, int waitMs) {
    std::string reason;
    if (!connection_.Open(uri, &reason)) {
      LogLine(ERROR, "Cannot connect to the EPG database server: ", reason);
      return false;
    }
    if (!Lock(waitMs))
      return false;
    if (!connection_.Exec("SET search_path TO glimmerbox") || !connection_.Exec("BEGIN"))
      return Failed();
    if (!EnsureSchema(connection_))
      return false;
    if (!statements_.Prepare(connection_) || !connection_.EnterPipeline())
      return Failed();
    return true;
  }

  Statement& operator[](Sql id) override { return statements_[id]; }
  int64_t LastInsertRowid() const override { return statements_.LastInsertRowid(); }
  int64_t Changes() override {
    connection_.Sync();
    return connection_.LastChanges();
  }
  bool Broken() const override { return connection_.Broken(); }
  bool DeleteAllRows() override {
    statements_.ForgetKeys();
    return postgres::DeleteAllRows(connection_);
  }

  bool Commit() override {
    bool saved = connection_.ExitPipeline() && connection_.Exec("COMMIT");
    if (!saved)
      LogLine(ERROR, "Cannot save the EPG database: ", connection_.Error());
    connection_.Break();  // the transaction is over: nothing more is written
    return saved;
  }

  void Close() override {
    statements_.Detach();
    connection_.Close();
  }

 private:
  bool Failed() {
    LogLine(ERROR, "Cannot open the EPG database: ", connection_.Error());
    return false;
  }

  // Takes the import's advisory lock, waiting up to `waitMs`.
  bool Lock(int waitMs) {
    std::string wait = "SET lock_timeout = ";
    wait += std::to_string(waitMs);
    if (!connection_.Exec(wait.c_str()) || !connection_.Exec(kLock)) {
      LogLine(ERROR, "Another import is writing the EPG database: ", connection_.Error());
      return false;
    }
    return connection_.Exec("SET lock_timeout = 0");
  }

  Connection connection_;
  Statements statements_;
};

}  // namespace

std::unique_ptr<Store> OpenStore(const std::string& uri, int waitMs) {
  auto store = std::make_unique<PostgresStore>();
  if (!store->Begin(uri, waitMs))
    return nullptr;
  return store;
}

}  // namespace epgdb::postgres
