#include "platform/com/com.h"

#include <gtest/gtest.h>

#include "epgdb/component.h"
#include "import/epgdb/epg_database.h"

namespace {

void* Create(REFIID iid, HRESULT* hr) {
  void* object = reinterpret_cast<void*>(1);
  *hr = CoCreateInstance(CLSID_EPGDatabase, nullptr, CLSCTX_INPROC_SERVER, iid, &object);
  return object;
}

TEST(Com, CreationNeedsCoInitializeAndARegisteredClass) {
  HRESULT hr = S_OK;
  epgdb::RegisterComponent();
  EXPECT_EQ(Create(IID_IEPGDatabase, &hr), nullptr);
  EXPECT_EQ(hr, CO_E_NOTINITIALIZED);

  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  auto* database = static_cast<IEPGDatabase*>(Create(IID_IEPGDatabase, &hr));
  EXPECT_EQ(hr, S_OK);
  ASSERT_NE(database, nullptr);
  EXPECT_EQ(database->Release(), 0u);

  EXPECT_EQ(Create(IID_IServices, &hr), nullptr);
  EXPECT_EQ(hr, E_NOINTERFACE);

  epgdb::UnregisterComponent();
  EXPECT_EQ(Create(IID_IEPGDatabase, &hr), nullptr);
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  EXPECT_TRUE(FAILED(hr));
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
