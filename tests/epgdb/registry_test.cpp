#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "tests/epgdb/test_database.h"

namespace {

constexpr char kEpgKey[] = "SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG";

class RegistryTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) {
    std::ofstream(file_, std::ios::binary) << text;
    setenv("GLIMMERBOX_REGISTRY", file_.c_str(), 1);
  }
  epgdb_test::TempFolder folder_;
  std::string file_ = (folder_.path() / "registry.reg").string();
};

TEST_F(RegistryTest, OldDataDaysIsReadAsTheImportReadsIt) {
  Write(
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG]\r\n"
      "\"Old data days\"=dword:0000000e\r\n");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kEpgKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  int32_t days = 0;
  DWORD size = sizeof days, type = 0;
  EXPECT_EQ(
      RegQueryValueEx(key, "Old data days", nullptr, &type, reinterpret_cast<BYTE*>(&days), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(days, 14);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndTextsKeepTheirEscapes) {
  Write(
      "REGEDIT4\n"
      "; a comment\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
      "@=\"default\"\n"
      "\"Path\"=\"C:\\\\guide \\\"new\\\"\"\n"
      "\"Big\"=dword:ffffffff\n"
      "\"Broken\"=dword:xyz\n"
      "[HKEY_CURRENT_USER\\Software\\Test]\n"
      "\"Other\"=dword:00000001\n");
  HKEY parent = nullptr, key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &parent), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyEx(parent, "test\\", 0, KEY_READ, &key), ERROR_SUCCESS);
  char text[32] = {};
  DWORD size = sizeof text, type = 0;
  EXPECT_EQ(RegQueryValueEx(key, "PATH", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "C:\\guide \"new\"");
  EXPECT_EQ(size, 15u);
  EXPECT_EQ(type, REG_SZ);
  size = sizeof text;
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "default");
  uint32_t big = 0;
  size = sizeof big;
  EXPECT_EQ(RegQueryValueEx(key, "big", nullptr, nullptr, reinterpret_cast<BYTE*>(&big), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(big, 0xFFFFFFFFu);
  EXPECT_EQ(RegQueryValueEx(key, "Broken", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueEx(key, "Other", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, SmallBufferGetsMoreDataAndTheSizeNeeded) {
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"Days\"=\"14\"\n");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
  char two[2] = {'x', 'x'};
  DWORD size = sizeof two;
  EXPECT_EQ(RegQueryValueEx(key, "Days", nullptr, nullptr, reinterpret_cast<BYTE*>(two), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(two[0], 'x');
  size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "Days", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, MissingFileKeyOrValueIsNotFound) {
  setenv("GLIMMERBOX_REGISTRY", (folder_.path() / "missing.reg").c_str(), 1);
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kEpgKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs]\n");
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kEpgKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\quillon labs", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, "Old data days", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

}  // namespace
