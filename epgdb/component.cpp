#include "epgdb/component.h"

#include "epgdb/epg_database.h"
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

}  // namespace epgdb
