#include "epgdb/postgres/connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "epgdb/postgres/redaction.h"

namespace epgdb::postgres {
namespace {

// Statements sent before a sync that ends their batch. The results of two batches fit the
// socket's buffers, so the server never waits for us to read while we wait for it to read.
constexpr size_t kMaxQueued = 512;

// Type ids of the integer types, as the server's catalogue fixes them.
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

void IgnoreNotice(void*, const char*) {}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\t')
      c = ' ';
  }
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

bool Succeeded(const PGresult* result) {
  ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

}  // namespace

bool Connection::Open(const std::string& uri, std::string* reason) {
  Close();
  // A server that does not answer is given up after 10 s, unless the URI says otherwise.
  const char* const keywords[] = {"connect_timeout", "dbname", nullptr};
  const char* const values[] = {"10", uri.c_str(), nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
    *reason = Redacted(OneLine(conn != nullptr ? PQerrorMessage(conn) : "out of memory"), uri);
    PQfinish(conn);
    return false;
  }
  PQsetNoticeProcessor(conn, &IgnoreNotice, nullptr);
  conn_ = conn;
  broken_ = false;
  queued_ = 0;
  syncs_ = 0;
  return true;
}

void Connection::Close() {
  PQfinish(std::exchange(conn_, nullptr));
  batches_.clear();
}

PGresult* Connection::Query(const char* sql) {
  PGresult* result = PQexec(conn_, sql);
  if (Succeeded(result))
    return result;
  PQclear(result);
  return nullptr;
}

bool Connection::Exec(const char* sql) {
  PGresult* result = Query(sql);
  PQclear(result);
  return result != nullptr;
}

std::string Connection::Error() const {
  return OneLine(PQerrorMessage(conn_));
}

bool Connection::EnterPipeline() {
  return PQenterPipelineMode(conn_) == 1;
}

bool Connection::ExitPipeline() {
  return Sync() && PQexitPipelineMode(conn_) == 1;
}

void Connection::Send(const char* name, const char* sql, const std::vector<const char*>& values) {
  SendRows();
  int n = int(values.size());
  bool sent =
      name != nullptr
          ? PQsendQueryPrepared(conn_, name, n, values.data(), nullptr, nullptr, 0) == 1
          : PQsendQueryParams(conn_, sql, n, nullptr, values.data(), nullptr, nullptr, 0) == 1;
  Queued(sent ? 1 : -1);
}

void Connection::Append(RowBatch& batch, const std::vector<const char*>& values) {
  if (batch.Rows() == 0)
    batches_.push_back(&batch);
  batch.Add(values);
  if (!batch.Full())
    return;
  std::erase(batches_, &batch);
  Queued(batch.Send(conn_));
}

void Connection::SendRows() {
  for (RowBatch* batch : std::exchange(batches_, {}))
    Queued(batch->Send(conn_));
}

void Connection::Queued(int statements) {
  if (statements < 0) {
    broken_ = true;
    return;
  }
  queued_ += size_t(statements);
  if (queued_ < kMaxQueued)
    return;
  // The server works on this batch while the results of the one before are read.
  if (!EndBatch() || (syncs_ > 1 && !ReadBatch(nullptr)))
    broken_ = true;
}

bool Connection::EndBatch() {
  if (conn_ == nullptr || PQpipelineSync(conn_) != 1)
    return false;
  queued_ = 0;
  ++syncs_;
  return true;
}

bool Connection::Sync(PGresult** last) {
  if (last != nullptr)
    *last = nullptr;
  SendRows();
  if (!EndBatch()) {
    broken_ = true;
    return false;
  }
  bool ok = true;
  while (syncs_ > 0)
    ok = ReadBatch(last) && ok;
  return ok;
}

bool Connection::ReadBatch(PGresult** last) {
  --syncs_;
  bool ok = true;
  // Each statement's result is followed by a null; two nulls in a row mean the connection has
  // nothing more to give, the sync's result included: it was lost.
  for (bool afterNull = false;;) {
    PGresult* result = PQgetResult(conn_);
    if (result == nullptr) {
      if (afterNull) {
        ok = false;
        break;
      }
      afterNull = true;
      continue;
    }
    afterNull = false;
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_PIPELINE_SYNC) {
      PQclear(result);
      break;
    }
    if (Succeeded(result)) {
      const char* tuples = PQcmdTuples(result);
      std::from_chars(tuples, tuples + strlen(tuples), changes_);
    } else {
      ok = false;
    }
    if (last != nullptr) {
      PQclear(*last);
      *last = result;
    } else {
      PQclear(result);
    }
  }
  if (!ok)
    broken_ = true;
  return ok;
}

bool Statement::Prepare(Connection& connection, const std::string& name, const char* sql,
                        int newIdParameter, int64_t* nextId, int64_t* lastId, bool batched) {
  PGresult* result = PQprepare(connection.handle(), name.c_str(), sql, 0, nullptr);
  bool ok = Succeeded(result);
  PQclear(result);
  if (!ok)
    return false;
  connection_ = &connection;
  name_ = name;
  newIdParameter_ = newIdParameter;
  nextId_ = nextId;
  lastId_ = lastId;
  if (batched) {
    batch_ = std::make_unique<RowBatch>();
    return batch_->Prepare(connection.handle(), name, sql, newIdParameter);
  }
  return true;
}

std::string& Statement::Slot(int index) {
  if (size_t(index) > texts_.size()) {
    texts_.resize(index);
    nulls_.resize(index, true);
  }
  nulls_[index - 1] = false;
  return texts_[index - 1];
}

void Statement::Bind(int index, std::string_view text) {
  Slot(index).assign(text);
}

void Statement::Bind(int index, int64_t number) {
  std::string& slot = Slot(index);
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  slot.assign(digits, end);
}

void Statement::BindNull(int index) {
  Slot(index);
  nulls_[index - 1] = true;
}

void Statement::TakeNewId() {
  if (newIdParameter_ == 0)
    return;
  *lastId_ = ++*nextId_;
  Bind(newIdParameter_, *lastId_);
}

std::vector<const char*> Statement::Values() const {
  std::vector<const char*> values(texts_.size());
  for (size_t i = 0; i < texts_.size(); ++i)
    values[i] = nulls_[i] ? nullptr : texts_[i].c_str();
  return values;
}

bool Statement::Step() {
  if (result_ == nullptr && !failed_) {
    if (connection_ == nullptr || connection_->Broken()) {
      failed_ = true;
      return false;
    }
    if (filter_ != nullptr && !filterAdds_ && !filter_->MayHold(texts_.at(0)))
      return false;
    TakeNewId();
    connection_->Send(name_.c_str(), nullptr, Values());
    failed_ = !connection_->Sync(&result_) || result_ == nullptr;
  }
  if (failed_ || result_ == nullptr || row_ + 1 >= PQntuples(result_))
    return false;
  ++row_;
  return true;
}

bool Statement::Run() {
  bool ok = connection_ != nullptr && !connection_->Broken();
  if (ok) {
    if (filter_ != nullptr && filterAdds_)
      filter_->Add(texts_.at(0));
    TakeNewId();
    if (batch_)
      connection_->Append(*batch_, Values());
    else
      connection_->Send(name_.c_str(), nullptr, Values());
    ok = !connection_->Broken();
  }
  Reset();
  return ok;
}

void Statement::Reset() {
  PQclear(std::exchange(result_, nullptr));
  row_ = -1;
  failed_ = false;
  std::fill(nulls_.begin(), nulls_.end(), true);
}

int64_t Statement::ColumnInt64(int column) const {
  const char* text = PQgetvalue(result_, row_, column);
  int64_t number = 0;
  std::from_chars(text, text + PQgetlength(result_, row_, column), number);
  return number;
}

std::string Statement::ColumnText(int column) const {
  return std::string(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
}

Value Statement::ColumnValue(int column) const {
  if (PQgetisnull(result_, row_, column))
    return Value();
  Oid type = PQftype(result_, column);
  if (type == kInt8 || type == kInt4 || type == kInt2)
    return ColumnInt64(column);
  return ColumnText(column);
}

}  // namespace epgdb::postgres
