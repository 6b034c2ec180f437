// Test support: a temporary database file named by GLIMMERBOX_EPG_DB, the component opened
// through COM as the import opens it, and SQL read-back through a separate connection.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/epgdb/epg_database.h"
#include "platform/com/com_ptr.h"

namespace epgdb_test {

// A BSTR for the length of a statement.
class Text {
 public:
  explicit Text(const std::string& ansi);
  ~Text();
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

// A temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The component and its collections, as one import run holds them.
struct Session {
  ComPtr<IEPGDatabase> database;
  ComPtr<IScheduleEntries> entries;
  ComPtr<IProviders> providers;
  ComPtr<IPrograms> programs;
  ComPtr<IServices> services;

  // Creates the component and opens it; `opened` tells how Open answered.
  Session();
  bool opened = false;

  ComPtr<IService> AddService(const std::string& channelId, const std::string& name);
  ComPtr<IProgram> NewProgram(const std::string& title);
  ComPtr<IProvider> NewProvider(const std::string& name);
  // Adds an entry under the slot key with the program, service and times "HH:MM" on the day.
  ComPtr<IScheduleEntry> AddEntry(const std::string& slotKey, IService* service, IProgram* program,
                                  const std::string& day, const std::string& start,
                                  const std::string& end);
  HRESULT Save();
  void Close();
};

// A fresh component instance, not opened.
ComPtr<IEPGDatabase> CreateComponent();

// A test of the component: COM entered, the component registered, the database in a temporary
// folder.
class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The rows of a query through a separate connection, each as its columns joined by "|"
  // (NULL as "NULL").
  std::vector<std::string> Query(const std::string& sql) const;
  // One value: the first column of the first row ("" when there is none).
  std::string Scalar(const std::string& sql) const;
  // Every row of every table, in a fixed order.
  std::string Dump() const;

  TempFolder folder_;
  std::string dbPath_;
};

}  // namespace epgdb_test
