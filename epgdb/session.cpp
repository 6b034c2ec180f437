#include "epgdb/session.h"

#include "epgdb/clean_requests.h"
#include "epgdb/location.h"
#include "epgdb/schema.h"
#include "epgdb/services_file.h"

namespace epgdb {
namespace {

constexpr int kBusyTimeoutMs = 10000;

// The page cache in KiB (negative, as the pragma takes it): large enough for the index pages a
// run of one service's entries touches (the writer runs them together), small enough to keep
// the whole import, the writer's waiting entries included, in bounded memory.
constexpr char kPragmas[] =
    "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA cache_size = -3072;";

}  // namespace

std::shared_ptr<Session> Session::Open(const std::string& path) {
  std::shared_ptr<Session> session(new Session);
  if (!session->Begin(path))
    return nullptr;
  return session;
}

bool Session::Begin(const std::string& path) {
  if (path.empty() || !CreateParentFolders(path) || !connection_.Open(path))
    return false;
  connection_.SetBusyTimeout(kBusyTimeoutMs);
  if (!connection_.Exec(kPragmas) || !connection_.Exec("BEGIN IMMEDIATE"))
    return false;
  if (!EnsureSchema(connection_) || !statements_.Prepare(connection_))
    return false;
  bool clean = CleanRequested(path);
  if (clean && !epgdb::DeleteAllRows(connection_))
    return false;
  if (clean)
    ForgetCleanRequest(path);
  reconcilesEveryEntry_ = clean;
  open_ = true;
  return true;
}

Session::~Session() {
  Close();
}

void Session::WritePending() {
  pending_.WriteAll();
}

void Session::Settle() {
  WritePending();
  Drain();
}

bool Session::DeleteAllRows() {
  Settle();
  return Writable() && epgdb::DeleteAllRows(connection_);
}

void Session::SetMetadata(const std::string& key, const std::string& value) {
  Post([this, key, value] {
    if (!Writable())
      return;
    Statement& set = statements_[Sql::kMetadataSet];
    set.Bind(1, key);
    set.Bind(2, value);
    set.Run();
  });
}

void Session::PrepareSave() {
  Settle();
  if (!Writable())
    return;
  std::optional<std::vector<std::string>> ids;
  if (!services_file_.empty())
    ids = ReadServicesFile(services_file_);
  if (ids) {
    statements_[Sql::kServicesClearPositions].Run();
    Statement& position = statements_[Sql::kServiceSetPosition];
    for (size_t i = 0; i < ids->size(); ++i) {
      position.Bind(1, (*ids)[i]);
      position.Bind(2, int64_t(i + 1));
      position.Run();
    }
  }
  if (programsReleased_)
    statements_[Sql::kProgramsDeleteUnused].Run();
  programsReleased_ = false;
}

HRESULT Session::Save() {
  Settle();
  bool saved = Writable() && connection_.Exec("COMMIT");
  if (!saved && connection_.InTransaction())
    connection_.Exec("ROLLBACK");
  open_ = false;
  return saved ? S_OK : E_FAIL;
}

void Session::Close() {
  Drain();
  open_ = false;
  statements_ = Statements();
  connection_.Close();
}

}  // namespace epgdb
