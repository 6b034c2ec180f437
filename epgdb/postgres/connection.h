// A libpq connection in pipeline mode, and its prepared statements. Statements whose results are
// not needed are only queued; the queue is sent and its results read (one round trip) when a
// statement's rows are needed, when it grows long, and at commit. In a PostgreSQL transaction any
// failed statement ends the transaction, so every failure breaks the connection (see Broken).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "epgdb/postgres/key_filter.h"
#include "epgdb/postgres/row_batch.h"
#include "epgdb/store.h"

struct pg_conn;
struct pg_result;

namespace epgdb::postgres {

class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects to the server the URI names. On failure returns false, with the reason (no password,
  // no connection string) in *reason.
  bool Open(const std::string& uri, std::string* reason);
  // Closes the connection: the server rolls back a transaction left open.
  void Close();

  // Runs fixed SQL outside the pipeline and returns its result (to PQclear), null on failure.
  pg_result* Query(const char* sql);
  // The same, for SQL without rows. True on success.
  bool Exec(const char* sql);
  // The server's reason for the last failure, on one line.
  std::string Error() const;
  pg_conn* handle() const { return conn_; }

  bool EnterPipeline();
  bool ExitPipeline();
  // Sends a prepared statement, or, with `name` null, the SQL `sql`, without waiting for its
  // result; the parameters are texts, null for NULL. The rows batched so far go first.
  void Send(const char* name, const char* sql, const std::vector<const char*>& values);
  // Adds a row to `batch`, sent once it is full, or before any other statement or a sync.
  void Append(RowBatch& batch, const std::vector<const char*>& values);
  // Reads the result of every statement sent; with `last`, hands the last statement's result
  // over (to PQclear). True when no statement failed.
  bool Sync(pg_result** last = nullptr);

  // The rows the last statement whose result was read inserted, changed or deleted.
  int64_t LastChanges() const { return changes_; }
  bool Broken() const { return broken_; }
  void Break() { broken_ = true; }

 private:
  // Counts the statements sent, ending the batch once it is long; -1 when libpq refused one.
  void Queued(int statements);
  void SendRows();
  // Sends a sync that ends the batch of the statements sent since the last one.
  bool EndBatch();
  // Reads the results of the oldest batch not read, up to its sync; with `last`, hands the last
  // statement's result over. True when no statement failed.
  bool ReadBatch(pg_result** last);

  pg_conn* conn_ = nullptr;
  std::vector<RowBatch*> batches_;  // those with rows waiting
  size_t queued_ = 0;
  int syncs_ = 0;  // batches ended whose results are not read
  int64_t changes_ = 0;
  std::atomic<bool> broken_ = false;  // read on any thread
};

// A prepared statement. `newIdParameter`, when not 0, is the parameter that takes the id of the
// row the statement inserts: the importer alone writes, so it numbers the rows itself and need
// not wait for the server to hand the id back.
class Statement final : public epgdb::Statement {
 public:
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() override { Reset(); }

  // Prepares `sql` under `name`, drawing new ids from *nextId. False on failure. With `batched`,
  // the rows the statement inserts go many to a statement (the new id must be its last parameter).
  bool Prepare(Connection& connection, const std::string& name, const char* sql, int newIdParameter,
               int64_t* nextId, int64_t* lastId, bool batched);
  // Forgets the connection: the statement then fails.
  void Detach() { connection_ = nullptr; }
  // The statement's first parameter is a slot key: with `adds`, one the statement stores, which
  // `filter` is given; else one it looks up, which it finds no row for without asking the server
  // when `filter` says it is not stored.
  void Filter(KeyFilter* filter, bool adds) {
    filter_ = filter;
    filterAdds_ = adds;
  }

  using epgdb::Statement::Bind;
  void Bind(int index, std::string_view text) override;
  void Bind(int index, int64_t number) override;
  void BindNull(int index) override;

  bool Step() override;
  bool Run() override;
  void Reset() override;
  bool Failed() const override { return failed_; }

  int64_t ColumnInt64(int column) const override;
  std::string ColumnText(int column) const override;
  Value ColumnValue(int column) const override;

 private:
  std::string& Slot(int index);
  // Numbers the row the statement inserts, when it inserts one.
  void TakeNewId();
  std::vector<const char*> Values() const;

  Connection* connection_ = nullptr;
  std::unique_ptr<RowBatch> batch_;
  std::string name_;
  int newIdParameter_ = 0;
  int64_t* nextId_ = nullptr;
  int64_t* lastId_ = nullptr;
  KeyFilter* filter_ = nullptr;
  bool filterAdds_ = false;
  std::vector<std::string> texts_;
  std::vector<bool> nulls_;
  pg_result* result_ = nullptr;
  int row_ = -1;
  bool failed_ = false;
};

}  // namespace epgdb::postgres
