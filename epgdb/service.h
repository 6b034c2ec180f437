// A service (channel): a row of services, which exists from the moment the service is added;
// changes are written when it is released, or before the next search or save.
#pragma once

#include <memory>

#include "epgdb/com_object.h"
#include "epgdb/pending_writes.h"
#include "epgdb/session.h"
#include "import/epgdb/items.h"

namespace epgdb {

class Service final : public ComObject<IService, IID_IService>, private PendingWrite {
 public:
  Service(std::shared_ptr<Session> session, int64_t id, std::string channelId, Value name,
          Value icon);
  ~Service() override;

  HRESULT SetId(BSTR channelId) override;
  HRESULT SetName(BSTR name) override;
  HRESULT SetIcon(BSTR url) override;

  int64_t id() const { return id_; }

 private:
  void Write() override;

  std::shared_ptr<Session> session_;
  int64_t id_;
  std::string channelId_;
  Value name_;
  Value icon_;
};

}  // namespace epgdb
