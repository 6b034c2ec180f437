#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

using ComponentTest = DatabaseTest;

// What an import run hands over is stored; the same run again finds the provider, the services
// and the entries again, and keeps their rows.
TEST_F(ComponentTest, WhatAnImportRunHandsOverIsStoredAndFoundAgain) {
  for (int pass = 0; pass < 2; ++pass) {
    ComPtr<IService> one, missing;  // `one` is held past Close, as the import holds it
    ComPtr<IProvider> provider;
    ComPtr<IScheduleEntry> entry;
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("XMLTV data read from: listings.xml"));
    run.database->SetServicesFile(Text(""));
    EXPECT_EQ(run.providers->Lookup(Text("XMLTV"), provider.Out()), pass == 0 ? S_FALSE : S_OK);
    if (!provider) {
      run.providers->Create(provider.Out());
      provider->SetName(Text("XMLTV"));
    }
    one = run.Service("one");
    one->SetIcon(Text("one.png"));
    EXPECT_EQ(run.services->Find(Text("ONE"), missing.Out()), S_FALSE);
    ComPtr<IProgram> program = run.Program("First title");
    program->SetDirector(Text("A"));
    program->SetDescription(Text(std::string(300, 'd')));
    program->SetTitle(Text("K\xC3\xB6ln \xF0\x9F\x93\xBA"));
    program->SetDirector(Text("B"));
    program->SetNew(-1);
    entry = run.Entry("one::20", "one", "", "2024-03-01 20:30", "2024-03-01 21:30:05");
    entry->SetProvider(provider.Get());
    entry->SetProgram(program.Get());
    // Found again while it is the last one added, and once it is stored.
    for (const char* title : {"Second", "Third", "Fourth"}) {
      if (title[0] == 'F')
        run.Entry("other", "", "Replaced")->SetProgram(run.Program("Other").Get());
      ASSERT_EQ(run.entries->Find(Text("one::20"), entry.Out()), S_OK);
      entry->AddProgram(run.Program(title).Get());
      program->SetDirector(Text(title));  // the program was handed to the writer by now
    }
    program->SetDescription(Text("Short"));
    program.Reset();
    EXPECT_EQ(run.entries->Find(Text("one::21"), entry.Out()), S_FALSE);
    run.Program("Clump of a missing entry");
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
    one->SetName(Text("changed after Close"));
  }
  EXPECT_EQ(Guide(),
            (std::vector<std::string>{
                "-|-|Other", "one|20:30|K\xC3\xB6ln \xF0\x9F\x93\xBA+Second+Third+Fourth"}));
  EXPECT_EQ(Query("SELECT e.id, s.icon, v.name, e.start_time, e.end_time, p.description, "
                  "p.directors, p.is_new FROM schedule_entries e JOIN services s ON s.id = "
                  "e.service_id JOIN providers v ON v.id = e.provider_id JOIN programs p ON p.id "
                  "= e.program_id"),
            (std::vector<std::string>{"1|one.png|XMLTV|2024-03-01 20:30:00|2024-03-01 21:30:05|"
                                      "Short|A, B, Second, Third, Fourth|1"}));
  EXPECT_EQ(Query("SELECT * FROM metadata ORDER BY key"),
            (std::vector<std::string>{"services_file|",
                                      "source_description|XMLTV data read from: listings.xml"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM providers"), "1");
}

// The file: where the environment says, of schema version 1, refused when newer; and the services
// file, when it can be read, gives the positions.
TEST_F(ComponentTest, TheFileAndTheServicesFile) {
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
  testing_support::WriteFile(dir_ / "order.txt", "three\r\n\r\none\n  \nnot-a-service\nthree\n");
  for (const std::string& file : {dir_ / "order.txt", dir_ / "missing.txt"}) {
    ImportRun run;
    for (const char* id : {"one", "two", "three"})
      run.Service(id);
    run.database->SetServicesFile(Text(file));
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
    EXPECT_EQ(Query("SELECT channel_id, position FROM services ORDER BY channel_id"),
              (std::vector<std::string>{"one|2", "three|1", "two|NULL"}));
  }
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
