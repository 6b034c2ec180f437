// The component's collections. Each holds the session it searches and creates items in; every
// search first writes the items still pending, so it sees every change.
#pragma once

#include <memory>
#include <string>

#include "epgdb/com_object.h"
#include "epgdb/schedule_entry.h"
#include "epgdb/session.h"
#include "import/epgdb/collections.h"

namespace epgdb {

class Providers final : public ComObject<IProviders, IID_IProviders> {
 public:
  explicit Providers(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  HRESULT Create(IProvider** provider) override;
  HRESULT Lookup(BSTR name, IProvider** provider) override;

 private:
  std::shared_ptr<Session> session_;
};

class Programs final : public ComObject<IPrograms, IID_IPrograms> {
 public:
  explicit Programs(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  HRESULT Create(IProgram** program) override;

 private:
  std::shared_ptr<Session> session_;
};

class Services final : public ComObject<IServices, IID_IServices> {
 public:
  explicit Services(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  HRESULT Find(BSTR channelId, IService** service) override;
  HRESULT Lookup(BSTR channelId, IService** service) override;
  HRESULT Add(BSTR channelId, IService** service) override;

 private:
  std::shared_ptr<Session> session_;
};

class ScheduleEntries final : public ComObject<IScheduleEntries, IID_IScheduleEntries> {
 public:
  explicit ScheduleEntries(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  HRESULT Find(BSTR slotKey, IScheduleEntry** entry) override;
  HRESULT Add(BSTR slotKey, IScheduleEntry** entry) override;
  HRESULT RemoveOlderThan(LONG days) override;
  HRESULT Reconcile(IScheduleEntry* entry) override;

 private:
  std::shared_ptr<Session> session_;
  // The entry added last, kept so that a search for its slot key, as a clump's later parts make
  // right after the first, finds it without waiting for the writer. It stays the stored entry of
  // its slot until the next Add or removal.
  ComPtr<ScheduleEntry> lastAdded_;
  std::u16string lastAddedKey_;
};

class Tunables final : public ComObject<ITunables, IID_ITunables> {};
class ChannelLineups final : public ComObject<IChannelLineups, IID_IChannelLineups> {};

}  // namespace epgdb
