#include "epgdb/component.h"

#include <utility>

#include "epgdb/clean_requests.h"
#include "epgdb/collections.h"
#include "epgdb/location.h"
#include "platform/com/bstr.h"
#include "platform/com/com.h"

namespace epgdb {
namespace {

HRESULT CreateEPGDatabase(REFIID iid, void** object) {
  auto* database = new EPGDatabase;
  HRESULT hr = database->QueryInterface(iid, object);
  database->Release();
  return hr;
}

}  // namespace

void RegisterComponent() {
  CoRegisterClass(CLSID_EPGDatabase, &CreateEPGDatabase);
}

void UnregisterComponent() {
  CoUnregisterClass(CLSID_EPGDatabase);
}

EPGDatabase::~EPGDatabase() {
  if (session_)
    session_->Close();
}

HRESULT EPGDatabase::Open(VARIANT_BOOL* opened) {
  if (opened == nullptr)
    return E_POINTER;
  if (!session_)
    session_ = Session::Open(DatabasePath());
  *opened = session_ ? VARIANT_TRUE : VARIANT_FALSE;
  return session_ ? S_OK : E_FAIL;
}

HRESULT EPGDatabase::PrepareSave(LONG* result) {
  if (result != nullptr)
    *result = 0;
  if (!session_)
    return E_FAIL;
  session_->PrepareSave();
  return S_OK;
}

HRESULT EPGDatabase::Close(LONG* result) {
  if (result != nullptr)
    *result = 0;
  if (session_)
    std::exchange(session_, nullptr)->Close();
  return S_OK;
}

HRESULT EPGDatabase::SetSourceDescription(BSTR text) {
  if (!session_)
    return E_FAIL;
  session_->SetMetadata("source_description", platform::BstrToAnsi(text));
  return S_OK;
}

template <typename C, typename Interface>
HRESULT EPGDatabase::Collection(Interface** out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (!session_)
    return E_FAIL;
  *out = new C(session_);
  return S_OK;
}

HRESULT EPGDatabase::GetChannelLineups(IChannelLineups** lineups) {
  if (lineups == nullptr)
    return E_POINTER;
  *lineups = new ChannelLineups;
  return S_OK;
}

HRESULT EPGDatabase::GetPrograms(IPrograms** programs) {
  return Collection<Programs>(programs);
}

HRESULT EPGDatabase::GetProviders(IProviders** providers) {
  return Collection<Providers>(providers);
}

HRESULT EPGDatabase::GetScheduleEntries(IScheduleEntries** entries) {
  return Collection<ScheduleEntries>(entries);
}

HRESULT EPGDatabase::GetServices(IServices** services) {
  return Collection<Services>(services);
}

HRESULT EPGDatabase::GetTunables(ITunables** tunables) {
  if (tunables == nullptr)
    return E_POINTER;
  *tunables = new Tunables;
  return S_OK;
}

HRESULT EPGDatabase::Clean(VARIANT_BOOL* cleaned) {
  if (cleaned == nullptr)
    return E_POINTER;
  bool done = false;
  if (session_) {
    done = session_->DeleteAllRows();
  } else {
    std::string path = DatabasePath();
    if (!path.empty())
      RequestClean(path);
    done = !path.empty();
  }
  *cleaned = done ? VARIANT_TRUE : VARIANT_FALSE;
  return done ? S_OK : E_FAIL;
}

HRESULT EPGDatabase::SetServicesFile(BSTR path) {
  if (!session_)
    return E_FAIL;
  std::string file = platform::BstrToAnsi(path);
  session_->SetServicesFile(file);
  session_->SetMetadata("services_file", file);
  return S_OK;
}

HRESULT EPGDatabase::Save() {
  if (!session_)
    return E_FAIL;
  return session_->Save();
}

}  // namespace epgdb
