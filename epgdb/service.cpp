#include "epgdb/service.h"

#include "platform/com/bstr.h"

namespace epgdb {

Service::Service(std::shared_ptr<Session> session, int64_t id, std::string channelId, Value name,
                 Value icon)
    : session_(std::move(session)),
      id_(id),
      channelId_(std::move(channelId)),
      name_(std::move(name)),
      icon_(std::move(icon)) {}

Service::~Service() {
  WriteIfPending();
}

HRESULT Service::SetId(BSTR channelId) {
  channelId_ = platform::BstrToAnsi(channelId);
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT Service::SetName(BSTR name) {
  name_ = platform::BstrToAnsi(name);
  MarkPending(session_->pending());
  return S_OK;
}

HRESULT Service::SetIcon(BSTR url) {
  icon_ = platform::BstrToAnsi(url);
  MarkPending(session_->pending());
  return S_OK;
}

void Service::Write() {
  if (!session_->Writable())
    return;
  Statement& update = (*session_)[Sql::kServiceUpdate];
  update.Bind(1, id_);
  update.Bind(2, channelId_);
  update.Bind(3, name_);
  update.Bind(4, icon_);
  update.Run();
}

}  // namespace epgdb
