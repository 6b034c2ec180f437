#include "epgdb/provider.h"

#include "platform/com/bstr.h"

namespace epgdb {

Provider::Provider(std::shared_ptr<Session> session)
    : session_(std::move(session)), id_(std::make_shared<int64_t>(0)) {
  MarkPending(session_->pending());
}

Provider::Provider(std::shared_ptr<Session> session, int64_t id, Value name, Value url)
    : session_(std::move(session)),
      id_(std::make_shared<int64_t>(id)),
      name_(std::move(name)),
      url_(std::move(url)) {}

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

IdCell Provider::Store() {
  WriteIfPending();
  return id_;
}

void Provider::Write() {
  session_->Post([session = session_.get(), id = id_, name = name_, url = url_] {
    if (!session->Writable())
      return;
    if (*id == 0) {
      Statement& insert = (*session)[Sql::kProviderInsert];
      insert.Bind(1, name);
      insert.Bind(2, url);
      if (insert.Step())
        *id = insert.ColumnInt64(0);
      insert.Reset();
      return;
    }
    Statement& update = (*session)[Sql::kProviderUpdate];
    update.Bind(1, *id);
    update.Bind(2, name);
    update.Bind(3, url);
    update.Run();
  });
}

}  // namespace epgdb
