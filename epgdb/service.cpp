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
  session_->Post(
      [session = session_.get(), id = id_, channelId = channelId_, name = name_, icon = icon_] {
        if (!session->Writable())
          return;
        Statement& update = (*session)[Sql::kServiceUpdate];
        update.Bind(1, id);
        update.Bind(2, channelId);
        update.Bind(3, name);
        update.Bind(4, icon);
        update.Run();
      });
}

}  // namespace epgdb
