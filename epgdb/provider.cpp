#include "epgdb/provider.h"

#include "platform/com/bstr.h"

namespace epgdb {

Provider::Provider(std::shared_ptr<Session> session) : session_(std::move(session)) {
  MarkPending(session_->pending());
}

Provider::Provider(std::shared_ptr<Session> session, int64_t id, Value name, Value url)
    : session_(std::move(session)), id_(id), name_(std::move(name)), url_(std::move(url)) {}

Provider::~Provider() {
  WriteIfPending();
}

HRESULT Provider::SetName(BSTR name) {
  name_ = platform::BstrToAnsi(name);
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT Provider::SetURL(BSTR url) {
  url_ = platform::BstrToAnsi(url);
  MarkPending(session_->pending());
  return S_OK;
}

int64_t Provider::Store() {
  WriteIfPending();
  return id_;
}

void Provider::Write() {
  if (!session_->Writable())
    return;
  if (id_ == 0) {
    Statement& insert = (*session_)[Sql::kProviderInsert];
    insert.Bind(1, name_);
    insert.Bind(2, url_);
    if (insert.Step())
      id_ = insert.ColumnInt64(0);
    insert.Reset();
    return;
  }
  Statement& update = (*session_)[Sql::kProviderUpdate];
  update.Bind(1, id_);
  update.Bind(2, name_);
  update.Bind(3, url_);
  update.Run();
}

}  // namespace epgdb
