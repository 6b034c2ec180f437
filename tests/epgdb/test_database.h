// Test support: the component opened through COM as the import opens it, on a database file in a
// temporary folder named by GLIMMERBOX_EPG_DB, read back through a connection of the test's own.
#pragma once

#include <gtest/gtest.h>

#include "import/epgdb/epg_database.h"
#include "platform/com/com_ptr.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace epgdb_test {

// A BSTR for the length of a call.
class Text {
 public:
  explicit Text(const std::string& ansi);
  ~Text();
  Text(const Text&) = delete;
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

ComPtr<IEPGDatabase> CreateComponent();  // a fresh instance, not opened

// The component and its collections, as one import run holds them.
struct ImportRun {
  ImportRun();  // creates the component and opens it
  ComPtr<IEPGDatabase> database = CreateComponent();
  bool opened = false;
  ComPtr<IScheduleEntries> entries;
  ComPtr<IPrograms> programs;
  ComPtr<IServices> services;

  ComPtr<IService> Service(const std::string& channelId);  // added, named as its id
  ComPtr<IProgram> Program(const std::string& title);
  // Adds the entry `key` of the channel, with a program "title" or "title+added+added...", from
  // `start` to `end` ("HH:MM" on 2024-03-01, or "YYYY-MM-DD HH:MM[:SS]"). What is empty is not set.
  ComPtr<IScheduleEntry> Entry(const std::string& key, const std::string& channel,
                               const std::string& titles, const std::string& start,
                               const std::string& end);
  HRESULT Save();  // PrepareSave, then Save
  void Close();    // Close, then the references
};

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::vector<std::string> Query(const std::string& sql) const {
    return testing_support::QueryRows(db_, sql);
  }
  std::string Scalar(const std::string& sql) const { return testing_support::QueryValue(db_, sql); }
  std::string Dump() const;  // every row of every table
  // Each entry as "channel|HH:MM|title+added+added..." in the order of channel and start ("-"
  // for what is not set). Checks on the way that no program is left that no entry uses.
  std::vector<std::string> Guide() const;

  testing_support::TempDir dir_;
  std::string db_ = dir_ / "guide/epg.sqlite";
};

}  // namespace epgdb_test
