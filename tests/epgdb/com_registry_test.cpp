// What the component and the import run on: COM creation and the registry file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "epgdb/component.h"
#include "import/epgdb/epg_database.h"
#include "platform/com/com.h"
#include "platform/registry/registry.h"
#include "tests/support/run_program.h"

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
  CoUninitialize();
  CoUninitialize();
}

TEST(Registry, KeysAndValuesAreFoundAsTheImportLooksThemUp) {
  testing_support::TempDir dir;
  setenv("GLIMMERBOX_REGISTRY", (dir / "registry.reg").c_str(), 1);
  HKEY key = reinterpret_cast<HKEY>(1), parent = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  testing_support::WriteFile(
      dir / "registry.reg",
      "REGEDIT4\r\n\r\n; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG]\r\n"
      "\"Old data days\"=dword:0000000e\r\n"
      "@=\"default\"\n"
      "\"Path\"=\"C:\\\\guide \\\"new\\\"\"\n"
      "\"Big\"=dword:ffffffff\n"
      "\"Broken\"=dword:xyz\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG]\n"
      "\"Other\"=dword:00000001\n");
  // A key that the file names only as the parent of another exists, without values.
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\quillon labs", 0, KEY_READ, &parent),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(parent, "Old data days", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyEx(parent, "Glimmerbox\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(parent, "GLIMMERBOX\\configuration\\Epg\\", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  uint32_t number = 0;
  DWORD size = sizeof number, type = 0;
  EXPECT_EQ(RegQueryValueEx(key, "old data days", nullptr, &type, (BYTE*)&number, &size), 0);
  EXPECT_EQ(number, 14u);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegQueryValueEx(key, "Big", nullptr, nullptr, (BYTE*)&number, &size), 0);
  EXPECT_EQ(number, 0xFFFFFFFFu);
  char text[32] = {'x'};
  size = 2;
  EXPECT_EQ(RegQueryValueEx(key, "PATH", nullptr, &type, (BYTE*)text, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 15u);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(RegQueryValueEx(key, "PATH", nullptr, &type, (BYTE*)text, &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, "C:\\guide \"new\"");
  EXPECT_EQ(type, REG_SZ);
  size = sizeof text;
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, (BYTE*)text, &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, "default");
  for (const char* name : {"Broken", "Other"})
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  RegCloseKey(parent);
  unsetenv("GLIMMERBOX_REGISTRY");
}

}  // namespace
