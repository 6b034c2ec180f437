// What the component and the import run on: COM creation and the registry file.
#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "tests/epgdb/test_database.h"

namespace {

HRESULT Create(REFIID iid) {
  void* object = reinterpret_cast<void*>(1);
  HRESULT hr = CoCreateInstance(CLSID_EPGDatabase, nullptr, CLSCTX_INPROC_SERVER, iid, &object);
  if (object != nullptr) {
    EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 0u);
  }
  return hr;
}

TEST(Com, CreationNeedsCoInitializeAndARegisteredClass) {
  epgdb::RegisterComponent();
  EXPECT_EQ(Create(IID_IEPGDatabase), CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(Create(IID_IEPGDatabase), S_OK);
  EXPECT_EQ(Create(IID_IServices), E_NOINTERFACE);
  epgdb::UnregisterComponent();
  EXPECT_EQ(Create(IID_IEPGDatabase), REGDB_E_CLASSNOTREG);
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
      "\"Old data days\"=dword:0000000e\r\n@=\"default\"\n\"Path\"=\"C:\\\\guide \\\"new\\\"\"\n"
      "\"Big\"=dword:ffffffff\n\"Broken\"=dword:xyz\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG]\n"
      "\"Other\"=dword:00000001\n");
  // A key that the file names only as the parent of another exists, without values.
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\quillon labs", 0, KEY_READ, &parent), 0);
  EXPECT_EQ(RegQueryValueEx(parent, "Old data days", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyEx(parent, "Glimmerbox\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(parent, "GLIMMERBOX\\configuration\\Epg\\", 0, KEY_READ, &key), 0);
  uint32_t number = 0;
  DWORD size = sizeof number, type = 0;
  EXPECT_EQ(RegQueryValueEx(key, "old data days", nullptr, &type, (BYTE*)&number, &size), 0);
  EXPECT_EQ(number + type + size, 14u + REG_DWORD + 4);
  EXPECT_EQ(RegQueryValueEx(key, "Big", nullptr, nullptr, (BYTE*)&number, &size), 0);
  EXPECT_EQ(number, 0xFFFFFFFFu);
  char text[32] = {'x'};
  size = 2;
  EXPECT_EQ(RegQueryValueEx(key, "PATH", nullptr, &type, (BYTE*)text, &size), ERROR_MORE_DATA);
  EXPECT_EQ(text[0] + std::to_string(size), "x15");
  EXPECT_EQ(RegQueryValueEx(key, "PATH", nullptr, &type, (BYTE*)text, &size), 0);
  EXPECT_EQ(text + std::to_string(type), "C:\\guide \"new\"" + std::to_string(REG_SZ));
  size = sizeof text;
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, (BYTE*)text, &size), 0);
  EXPECT_STREQ(text, "default");
  for (const char* name : {"Broken", "Other"})
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key) + RegCloseKey(parent), ERROR_SUCCESS);
  unsetenv("GLIMMERBOX_REGISTRY");
}

}  // namespace
