// The EPG database component: its main object, which opens the session of one import and hands out
// its collections, and its registration with the process's COM class table, done once at
// start-up so that CoCreateInstance(CLSID_EPGDatabase, ...) finds it.
#pragma once

#include <memory>

#include "epgdb/com_object.h"
#include "epgdb/session.h"
#include "import/epgdb/database.h"

namespace epgdb {

class EPGDatabase final : public ComObject<IEPGDatabase, IID_IEPGDatabase> {
 public:
  ~EPGDatabase() override;

  HRESULT Open(VARIANT_BOOL* opened) override;
  HRESULT PrepareSave(LONG* result) override;
  HRESULT Close(LONG* result) override;
  HRESULT SetSourceDescription(BSTR text) override;
  HRESULT GetChannelLineups(IChannelLineups** lineups) override;
  HRESULT GetPrograms(IPrograms** programs) override;
  HRESULT GetProviders(IProviders** providers) override;
  HRESULT GetScheduleEntries(IScheduleEntries** entries) override;
  HRESULT GetServices(IServices** services) override;
  HRESULT GetTunables(ITunables** tunables) override;
  HRESULT Clean(VARIANT_BOOL* cleaned) override;
  HRESULT SetServicesFile(BSTR path) override;
  HRESULT Save() override;

 private:
  // Stores a new collection of type C in *out when the database is open.
  template <typename C, typename Interface>
  HRESULT Collection(Interface** out);

  std::shared_ptr<Session> session_;
};

void RegisterComponent();
void UnregisterComponent();

}  // namespace epgdb
