// The component as the import uses it, and what it runs on: COM creation and the registry file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "platform/registry/registry.h"
#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

// Keys and value names in any case; a key the file names only as the parent of another exists,
// without values; other hives, broken values and those of an unknown type are not found; a text
// too long for the import's buffer is not copied. Each case: the key, its lines, and the status
// of opening the import's key, then of reading "Old data days" as the import reads it and the
// number read.
TEST(Registry, TheValueIsFoundAsTheImportLooksItUp) {
  const std::string epg = "SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG";
  const std::string cases[][3] = {
      {"HKEY_LOCAL_MACHINE\\" + epg, "\"Old data days\"=dword:0000000e\r\n", "0 0 14"},
      {"hkey_local_machine\\software\\QUILLON LABS\\glimmerbox\\configuration\\epg\\",
       "\"OLD DATA days\"=dword:FFFFFFFF\n", "0 0 4294967295"},
      {"HKEY_LOCAL_MACHINE\\" + epg + "\\Below", "\"Old data days\"=dword:1\n", "0 2 0"},
      {"HKEY_CURRENT_USER\\" + epg, "\"Old data days\"=dword:1\n", "2"},
      {"HKEY_LOCAL_MACHINE\\" + epg, "\"Old data days\"=dword:xyz\n\"Old data days \"=dword:1\n",
       "0 2 0"},
      {"HKEY_LOCAL_MACHINE\\" + epg, "\"Old data days\"=\"ab\"\n", "0 0 25185"},
      {"HKEY_LOCAL_MACHINE\\" + epg, "\"Old data days\"=\"C:\\\\a \\\"b\\\"\"\n", "0 234 0"},
  };
  testing_support::TempDir dir;
  setenv("GLIMMERBOX_REGISTRY", (dir / "registry.reg").c_str(), 1);
  for (const auto& [key, lines, read] : cases) {
    testing_support::WriteFile(dir / "registry.reg",
                               "REGEDIT4\r\n\r\n; a comment\r\n[" + key + "]\r\n" + lines);
    HKEY handle = nullptr;
    uint32_t days = 0;
    DWORD size = sizeof days;
    LONG status = RegOpenKeyEx(HKEY_LOCAL_MACHINE, epg.c_str(), 0, KEY_READ, &handle);
    std::string got = std::to_string(status);
    if (status == ERROR_SUCCESS) {
      status = RegQueryValueEx(handle, "Old data days", nullptr, nullptr, (BYTE*)&days, &size);
      got += " " + std::to_string(status) + " " + std::to_string(days);
    }
    EXPECT_EQ(got, read) << key << "\n" << lines;
    RegCloseKey(handle);
  }
  unsetenv("GLIMMERBOX_REGISTRY");
}

using ComponentTest = DatabaseTest;

// What an import run hands over is stored, also what changes after the writer took it; the same
// run again finds its entries, keeps their rows and replaces their added programs; an item held
// past Close writes nothing.
TEST_F(ComponentTest, WhatAnImportRunHandsOverIsStoredAndFoundAgain) {
  for (int pass = 0; pass < 2; ++pass) {
    ComPtr<IService> one;  // held past Close, as the import holds it
    ComPtr<IScheduleEntry> entry;
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetServicesFile(Text(""));
    one = run.Service("one");
    one->SetIcon(Text("one.png"));
    ComPtr<IProgram> program = run.Program("First title");
    program->SetDirector(Text("A"));
    program->SetDescription(Text(std::string(300, 'd')));
    program->SetTitle(Text("K\xC3\xB6ln \xF0\x9F\x93\xBA"));
    program->SetNew(-1);
    entry = run.Entry("one::20", "one", "", "2024-03-01 20:30", "2024-03-01 21:30:05");
    entry->SetProgram(program.Get());
    // Found again while it is the last one added, and once it is stored.
    for (const char* title : {"Second", "Third"}) {
      if (title[0] == 'T')
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
  EXPECT_EQ(Guide(), (std::vector<std::string>{
                         "-|-|Other", "one|20:30|K\xC3\xB6ln \xF0\x9F\x93\xBA+Second+Third"}));
  EXPECT_EQ(Query("SELECT e.id, s.name, s.icon, e.start_time, e.end_time, p.description, "
                  "p.directors, p.is_new, m.* FROM schedule_entries e JOIN services s ON s.id = "
                  "e.service_id JOIN programs p ON p.id = e.program_id, metadata m"),
            (std::vector<std::string>{"1|one|one.png|2024-03-01 20:30:00|2024-03-01 21:30:05|"
                                      "Short|A, Second, Third|1|services_file|"}));
}

// The file: where the environment says, of schema version 1 in WAL mode, refused when newer.
TEST_F(ComponentTest, TheFileWhereTheEnvironmentSaysOfSchemaVersionOne) {
  unsetenv("GLIMMERBOX_EPG_DB");
  std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
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
  EXPECT_EQ(Scalar("PRAGMA user_version") + Scalar("PRAGMA journal_mode"), "1wal");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_FALSE(ImportRun().opened);
}

}  // namespace
}  // namespace epgdb_test
