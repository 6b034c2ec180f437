#include "platform/com/com.h"

#include <mutex>
#include <vector>

namespace {

struct ClassEntry {
  CLSID clsid;
  ClassFactoryFunction factory;
};

// The class table of the process.
struct ClassTable {
  std::mutex mutex;
  std::vector<ClassEntry> entries;
};

ClassTable& Table() {
  static ClassTable table;
  return table;
}

ClassFactoryFunction FindFactory(REFCLSID clsid) {
  ClassTable& table = Table();
  std::lock_guard lock(table.mutex);
  for (const ClassEntry& e : table.entries) {
    if (e.clsid == clsid)
      return e.factory;
  }
  return nullptr;
}

thread_local int initializeCount = 0;

}  // namespace

HRESULT CoInitialize(void* reserved) {
  if (reserved != nullptr)
    return E_INVALIDARG;
  return initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (initializeCount > 0)
    --initializeCount;
}

void CoRegisterClass(REFCLSID clsid, ClassFactoryFunction factory) {
  CoUnregisterClass(clsid);
  ClassTable& table = Table();
  std::lock_guard lock(table.mutex);
  table.entries.push_back({clsid, factory});
}

void CoUnregisterClass(REFCLSID clsid) {
  ClassTable& table = Table();
  std::lock_guard lock(table.mutex);
  std::erase_if(table.entries, [&](const ClassEntry& e) { return e.clsid == clsid; });
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, ULONG context, REFIID iid,
                         void** object) {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (initializeCount == 0)
    return CO_E_NOTINITIALIZED;
  if (outer != nullptr)
    return CLASS_E_NOAGGREGATION;
  if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)) == 0) {
    return E_INVALIDARG;
  }
  ClassFactoryFunction factory = FindFactory(clsid);
  if (factory == nullptr)
    return REGDB_E_CLASSNOTREG;
  HRESULT hr = factory(iid, object);
  if (FAILED(hr))
    *object = nullptr;
  return hr;
}
