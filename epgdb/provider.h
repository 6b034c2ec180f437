// A provider: a row of providers, written when it is released, needed by an entry, or before
// the next search or save.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "epgdb/com_object.h"
#include "epgdb/pending_writes.h"
#include "epgdb/session.h"
#include "import/epgdb/items.h"

namespace epgdb {

class Provider final : public ComObject<IProvider, IID_IProvider>, private PendingWrite {
 public:
  // A provider without a row yet.
  explicit Provider(std::shared_ptr<Session> session);
  // The stored provider of that row.
  Provider(std::shared_ptr<Session> session, int64_t id, Value name, Value url);
  ~Provider() override;

  HRESULT SetName(BSTR name) override;
  HRESULT SetURL(BSTR url) override;

  // Hands over the write of what is pending and returns the cell of the row id, which tasks
  // handed over later read; 0 there when the provider could not be written.
  IdCell Store();

 private:
  void Write() override;

  std::shared_ptr<Session> session_;
  IdCell id_;
  Value name_;
  Value url_;
};

}  // namespace epgdb
