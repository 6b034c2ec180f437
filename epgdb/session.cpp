#include "epgdb/session.h"

#include <utility>

#include "epgdb/clean_requests.h"
#include "epgdb/schedule_entry.h"
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

std::shared_ptr<Session> Session::Open(const std::string& location) {
  std::shared_ptr<Session> session(new Session);
  if (!session->Begin(location))
    return nullptr;
  return session;
}

bool Session::Begin(const std::string& location) {
  if (location.empty())
    return false;
  store_ = OpenStore(location, kBusyTimeoutMs, kPragmas);
  if (!store_)
    return false;
  bool clean = CleanRequested(location);
  if (clean && !store_->DeleteAllRows())
    return false;
  if (clean)
    ForgetCleanRequest(location);
  reconcilesEveryEntry_ = clean;
  open_ = true;
  return true;
}

Session::~Session() {
  Close();
}

void Session::PostDeferredReconcile() {
  std::exchange(deferred_, nullptr)->PostDeferredReconcile();
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
  return Writable() && store_->DeleteAllRows();
}

void Session::SetMetadata(const std::string& key, const std::string& value) {
  Post([this, key, value] {
    if (!Writable())
      return;
    Statement& set = (*store_)[Sql::kMetadataSet];
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
    (*store_)[Sql::kServicesClearPositions].Run();
    Statement& position = (*store_)[Sql::kServiceSetPosition];
    for (size_t i = 0; i < ids->size(); ++i) {
      position.Bind(1, (*ids)[i]);
      position.Bind(2, int64_t(i + 1));
      position.Run();
    }
  }
  if (programsReleased_)
    (*store_)[Sql::kProgramsDeleteUnused].Run();
  programsReleased_ = false;
}

HRESULT Session::Save() {
  Settle();
  bool saved = Writable() && store_->Commit();
  open_ = false;
  return saved ? S_OK : E_FAIL;
}

void Session::Close() {
  Drain();
  open_ = false;
  if (store_)
    store_->Close();
}

}  // namespace epgdb
