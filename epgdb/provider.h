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

  // Writes what is pending and returns the row id; 0 when the provider could not be written.
  int64_t Store();

 private:
  void Write() override;

  std::shared_ptr<Session> session_;
  int64_t id_ = 0;
  Value name_;
  Value url_;
};

}  // namespace epgdb
