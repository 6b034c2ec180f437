// Test support: the component opened through COM as the import opens it, on a database file in a
// temporary folder named by GLIMMERBOX_EPG_DB, read back through a connection of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <vector>

#include "epgdb/component.h"
#include "import/epgdb/database.h"
#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/scoped_bstr.h"
#include "tests/support/guide_dump.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace epgdb_test {

using Text = ScopedBstr;

// The component and its collections, as one import run holds them; with `clean`, a clean is
// asked for before it opens, as the import does for a whole clean.
struct ImportRun {
  explicit ImportRun(bool clean = false) {
    CoCreateInstance(CLSID_EPGDatabase, nullptr, CLSCTX_INPROC_SERVER, IID_IEPGDatabase,
                     reinterpret_cast<void**>(database.Out()));
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (clean)
      database->Clean(&flag);
    opened = SUCCEEDED(database->Open(&flag)) && flag != VARIANT_FALSE;
    database->GetScheduleEntries(entries.Out());
    database->GetPrograms(programs.Out());
    database->GetServices(services.Out());
    database->GetProviders(providers.Out());
  }
  ComPtr<IEPGDatabase> database;
  bool opened = false;
  ComPtr<IScheduleEntries> entries;
  ComPtr<IPrograms> programs;
  ComPtr<IServices> services;
  ComPtr<IProviders> providers;

  ComPtr<IService> Service(const std::string& channelId) {  // added, named as its id
    ComPtr<IService> service;
    if (services->Add(Text(channelId), service.Out()) == S_OK) {
      service->SetId(Text(channelId));
      service->SetName(Text(channelId));
    }
    return service;
  }
  ComPtr<IProgram> Program(const std::string& title) {
    ComPtr<IProgram> program;
    programs->Create(program.Out());
    program->SetTitle(Text(title));
    return program;
  }
  // Adds the entry `key` of the channel, with a program "title" or "title+added+added...", from
  // `start` to `end` ("HH:MM" on 2024-03-01 or "YYYY-MM-DD HH:MM[:SS]"). What is empty is not set.
  ComPtr<IScheduleEntry> Entry(const std::string& key, const std::string& channel,
                               const std::string& titles, const std::string& start = "",
                               const std::string& end = "") {
    // The service and programs first, as an import has them before it adds the entry.
    ComPtr<IService> service = channel.empty() ? ComPtr<IService>() : Service(channel);
    std::istringstream parts(titles);
    std::vector<ComPtr<IProgram>> programs;
    for (std::string title; std::getline(parts, title, '+');)
      programs.push_back(Program(title));
    ComPtr<IScheduleEntry> entry;
    entries->Add(Text(key), entry.Out());
    if (service)
      entry->SetService(service.Get());
    for (size_t i = 0; i < programs.size(); ++i) {
      if (i == 0)
        entry->SetProgram(programs[i].Get());
      else
        entry->AddProgram(programs[i].Get());
    }
    for (auto [time, set] : {std::pair{start, &IScheduleEntry::SetStartTime},
                             std::pair{end, &IScheduleEntry::SetEndTime}}) {
      std::string t = time.size() == 5 ? "2024-03-01 " + time : time;
      auto n = [&](size_t at) { return uint16_t(t.size() > at ? std::stoi(t.substr(at)) : 0); };
      if (!t.empty())
        (entry.Get()->*set)(n(0), n(5), n(8), n(11), n(14), n(17));
    }
    return entry;
  }
  HRESULT Save() {
    LONG result = 0;
    database->PrepareSave(&result);
    return database->Save();
  }
  void Close() {  // the references go after it, as the import lets them go
    LONG result = 0;
    database->Close(&result);
  }
};

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    epgdb::RegisterComponent();
    setenv("GLIMMERBOX_EPG_DB", db_.c_str(), 1);
  }
  void TearDown() override {
    epgdb::UnregisterComponent();
    CoUninitialize();
  }
  std::vector<std::string> Query(const std::string& sql) const {
    return testing_support::QueryRows(db_, sql);
  }
  std::string Scalar(const std::string& sql) const { return testing_support::QueryValue(db_, sql); }
  // Each entry as "channel|HH:MM|title+added+added..." in the order of channel and start ("-"
  // for what is not set). Checks on the way that no program is left that no entry uses.
  std::vector<std::string> Guide() const {
    EXPECT_EQ(Scalar("SELECT count(*) FROM programs WHERE id NOT IN (SELECT program_id FROM "
                     "schedule_entries WHERE program_id NOT NULL UNION SELECT program_id FROM "
                     "schedule_entry_programs)"),
              "0");
    return Query(
        "SELECT coalesce(s.channel_id, '-'), coalesce(substr(e.start_time, 12, 5), '-'), "
        "coalesce(p.title, '-') || coalesce('+' || (SELECT group_concat(t, '+') FROM (SELECT "
        "q.title AS t FROM schedule_entry_programs x JOIN programs q ON q.id = x.program_id "
        "WHERE x.entry_id = e.id ORDER BY x.seq)), '') FROM schedule_entries e LEFT JOIN "
        "services s ON s.id = e.service_id LEFT JOIN programs p ON p.id = e.program_id ORDER BY "
        "s.channel_id, e.start_time");
  }

  testing_support::TempDir dir_;
  std::string db_ = dir_ / "guide/epg.sqlite";
};

}  // namespace epgdb_test
