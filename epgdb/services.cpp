#include "epgdb/collections.h"

#include "epgdb/service.h"
#include "platform/com/bstr.h"

namespace epgdb {
namespace {

// The stored service of the channel id, or null.
Service* FindService(const std::shared_ptr<Session>& session, const std::string& channelId) {
  session->Settle();
  Statement& query = (*session)[Sql::kServiceByChannel];
  query.Bind(1, channelId);
  Service* service = nullptr;
  if (query.Step()) {
    service = new Service(session, query.ColumnInt64(0), channelId, query.ColumnValue(1),
                          query.ColumnValue(2));
  }
  query.Reset();
  return service;
}

Service* InsertService(const std::shared_ptr<Session>& session, const std::string& channelId) {
  if (!session->Writable())
    return nullptr;
  Statement& insert = (*session)[Sql::kServiceInsert];
  insert.Bind(1, channelId);
  if (!insert.Run())
    return nullptr;
  return new Service(session, session->LastInsertRowid(), channelId, Value(), Value());
}

}  // namespace

HRESULT Services::Find(BSTR channelId, IService** service) {
  if (service == nullptr)
    return E_POINTER;
  return Deliver<IService>(FindService(session_, platform::BstrToAnsi(channelId)), service);
}

HRESULT Services::Lookup(BSTR channelId, IService** service) {
  return Find(channelId, service);
}

HRESULT Services::Add(BSTR channelId, IService** service) {
  if (service == nullptr)
    return E_POINTER;
  std::string id = platform::BstrToAnsi(channelId);
  Service* found = FindService(session_, id);
  if (found == nullptr)
    found = InsertService(session_, id);
  if (found == nullptr) {
    *service = nullptr;
    return E_FAIL;
  }
  return Deliver<IService>(found, service);
}

}  // namespace epgdb
