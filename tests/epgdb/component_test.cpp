#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

using ComponentTest = DatabaseTest;

// The calls of an import run as the import makes them: the provider and the services are found
// again by name, clumps by slot key; the same run again doubles nothing and keeps the rows.
TEST_F(ComponentTest, WhatAnImportRunHandsOverIsStoredAndFoundAgain) {
  for (int pass = 0; pass < 2; ++pass) {
    ComPtr<IService> one;  // held past Close, as the import's channel map holds its services
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("XMLTV data read from: listings.xml"));
    run.database->SetServicesFile(Text(""));
    ComPtr<IProviders> providers;
    ComPtr<IProvider> provider;
    run.database->GetProviders(providers.Out());
    EXPECT_EQ(providers->Lookup(Text("XMLTV"), provider.Out()), pass == 0 ? S_FALSE : S_OK);
    if (!provider) {
      providers->Create(provider.Out());
      provider->SetName(Text("XMLTV"));
      provider->SetURL(Text("http://xmltv.example/"));
    }
    one = run.Service("one.example");
    one->SetIcon(Text("http://example/one.png"));
    ComPtr<IService> found, missing;
    EXPECT_EQ(run.services->Lookup(Text("one.example"), found.Out()), S_OK);
    EXPECT_EQ(run.services->Find(Text("ONE.example"), missing.Out()), S_FALSE);
    EXPECT_TRUE(found && !missing);

    ComPtr<IProgram> program = run.Program("First title");
    program->SetDirector(Text("A"));
    program->SetDescription(Text(std::string(300, 'd')));
    program->SetTitle(Text("K\xC3\xB6ln \xF0\x9F\x93\xBA"));
    program->SetDirector(Text("B"));
    program->SetNew(-1);
    ComPtr<IScheduleEntry> entry =
        run.Entry("one::20", "", "", "2024-03-01 20:30", "2024-03-01 21:30:05");
    entry->SetService(one.Get());
    entry->SetProvider(provider.Get());
    entry->SetProgram(program.Get());
    entry = run.Entry("odd", "", "Skipped clump", "", "");  // the entry before is written now
    program->SetDirector(Text("C"));
    program->SetSubTitle(Text("Sub"));
    program->SetDescription(Text("Short"));
    program.Reset();
    entry->SetProgram(run.Program("Odd times").Get());  // the program set first is never stored
    entry->SetStartTime(0, 0, 0, 0, 0, 0);
    entry->SetEndTime(65535, 100, 32, 24, 60, 61);
    entry.Reset();
    for (const char* title : {"Second", "Third"}) {
      ASSERT_EQ(run.entries->Find(Text("one::20"), entry.Out()), S_OK);
      entry->AddProgram(run.Program(title).Get());
    }
    EXPECT_EQ(run.entries->Find(Text("one::21"), entry.Out()), S_FALSE);
    EXPECT_FALSE(entry);
    run.Program("Clump of a missing entry");
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
    one->SetName(Text("changed after Close"));
  }
  EXPECT_EQ(Guide(), (std::vector<std::string>{"-|00:00|Odd times",
                                               "one.example|20:30|K\xC3\xB6ln \xF0\x9F\x93\xBA"
                                               "+Second+Third"}));
  EXPECT_EQ(Query("SELECT e.id, e.slot_key, s.channel_id, s.name, s.icon, v.name, v.url, "
                  "e.start_time, e.end_time, p.sub_title, p.description, p.directors, p.is_new "
                  "FROM schedule_entries e LEFT JOIN services s ON s.id = e.service_id LEFT JOIN "
                  "providers v ON v.id = e.provider_id JOIN programs p ON p.id = e.program_id"),
            (std::vector<std::string>{
                "1|one::20|one.example|one.example|http://example/one.png|XMLTV|"
                "http://xmltv.example/|2024-03-01 20:30:00|2024-03-01 21:30:05|Sub|Short|A, B, C|1",
                "2|odd|NULL|NULL|NULL|NULL|NULL|0000-00-00 00:00:00|65535-100-32 24:60:61|NULL|"
                "NULL|NULL|NULL"}));
  EXPECT_EQ(Query("SELECT key, value FROM metadata ORDER BY key"),
            (std::vector<std::string>{"services_file|",
                                      "source_description|XMLTV data read from: listings.xml"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM providers"), "1");
}

TEST_F(ComponentTest, TheServicesFileGivesPositionsWhenItCanBeRead) {
  testing_support::WriteFile(dir_ / "order.txt", "three\r\n\r\none\n  \nnot-a-service\nthree\n");
  for (const std::string& file : {dir_ / "order.txt", dir_ / "missing.txt"}) {
    ImportRun run;
    ASSERT_TRUE(run.opened);
    for (const char* id : {"one", "two", "three"})
      run.Service(id);
    run.database->SetServicesFile(Text(file));
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
    EXPECT_EQ(Query("SELECT channel_id, position FROM services ORDER BY channel_id"),
              (std::vector<std::string>{"one|2", "three|1", "two|NULL"}));
  }
}

TEST_F(ComponentTest, TheFileIsWhereTheEnvironmentSaysAndANewerSchemaIsRefused) {
  std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
  unsetenv("GLIMMERBOX_EPG_DB");
  setenv("HOME", (dir_ / "home").c_str(), 1);
  for (const std::string& data : {dir_ / "data", std::string("relative")}) {
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    EXPECT_TRUE(ImportRun().opened) << data;
  }
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data/glimmerbox/epg.sqlite"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "home/.local/share/glimmerbox/epg.sqlite"));

  setenv("GLIMMERBOX_EPG_DB", db_.c_str(), 1);
  EXPECT_EQ(ImportRun().Save(), S_OK);
  EXPECT_EQ(Scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(Scalar("PRAGMA journal_mode"), "wal");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ImportRun run;
  EXPECT_FALSE(run.opened);
  EXPECT_FALSE(run.services);
}

}  // namespace
}  // namespace epgdb_test
