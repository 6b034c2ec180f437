#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

using ComponentTest = DatabaseTest;

TEST_F(ComponentTest, OpenCreatesTheFileWithSchemaVersion1) {
  Session run;
  ASSERT_TRUE(run.opened);
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(Scalar("PRAGMA journal_mode"), "wal");
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT LIKE "
                  "'sqlite_autoindex%' ORDER BY name"),
            (std::vector<std::string>{"schedule_entries_end", "schedule_entries_service_start"}));
}

TEST_F(ComponentTest, ServiceIsFoundAgainByIdAfterAdd) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> added = run.AddService("bbc1.example", "BBC One");
  added->SetIcon(Text("http://example/bbc1.png"));
  ComPtr<IService> found, lookedUp, again, missing;
  EXPECT_EQ(run.services->Find(Text("bbc1.example"), found.Out()), S_OK);
  run.services->Lookup(Text("bbc1.example"), lookedUp.Out());
  run.services->Add(Text("bbc1.example"), again.Out());
  EXPECT_EQ(run.services->Find(Text("BBC1.example"), missing.Out()), S_FALSE);
  EXPECT_TRUE(found && lookedUp && again);
  EXPECT_FALSE(missing);
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT channel_id, name, icon, position FROM services"),
            (std::vector<std::string>{"bbc1.example|BBC One|http://example/bbc1.png|NULL"}));
}

TEST_F(ComponentTest, EntryIsStoredWithProgramServiceProviderAndTimes) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IProvider> provider = run.NewProvider("XMLTV");
  provider->SetURL(Text("http://xmltv.example/"));
  ComPtr<IService> service = run.AddService("one.example", "One");
  ComPtr<IProgram> program = run.NewProgram("K\xC3\xB6ln at night");
  ComPtr<IScheduleEntry> entry;
  run.entries->Add(Text("one.example::20240301203000::20240301213000"), entry.Out());
  entry->SetProvider(provider.Get());
  entry->SetService(service.Get());
  entry->SetProgram(program.Get());
  entry->SetStartTime(2024, 3, 1, 20, 30, 0);
  entry->SetEndTime(2024, 3, 1, 21, 30, 5);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(
      Query("SELECT e.slot_key, s.channel_id, p.name, p.url, g.title, e.start_time, "
            "e.end_time FROM schedule_entries e JOIN services s ON s.id = e.service_id "
            "JOIN providers p ON p.id = e.provider_id JOIN programs g ON g.id = "
            "e.program_id"),
      (std::vector<std::string>{"one.example::20240301203000::20240301213000|one.example|XMLTV|"
                                "http://xmltv.example/|K\xC3\xB6ln at night|2024-03-01 20:30:00|"
                                "2024-03-01 21:30:05"}));
}

TEST_F(ComponentTest, EveryProgramSetterFillsItsColumn) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IProgram> p = run.NewProgram("Title");
  p->SetSubTitle(Text("Sub"));
  p->SetDescription(Text("Desc"));
  p->SetDirector(Text("A"));
  p->SetPresenter(Text("P1"));
  p->SetDirector(Text("B"));
  p->SetPresenter(Text("P2"));
  p->SetActors(Text("X, Y, Z"));
  p->SetDate(1999);
  p->SetCategory(Text("Film"));
  p->SetLanguage(Text("en"));
  p->SetOrigLanguage(Text("fr"));
  p->SetLength(45);
  p->SetCountry(Text("UK"));
  p->SetEpisodeNumber(Text("1.2.0/3"));
  p->SetVideoPresent(0);
  p->SetColour(1);
  p->SetAspect(Text("16:9"));
  p->SetAudioPresent(1);
  p->SetStereo(Text("dolby"));
  p->SetPreviouslyShown(1);
  p->SetPremiere(1);
  p->SetLastChance(1);
  p->SetNew(-1);
  p->SetSubtitles(Text("teletext"));
  p->SetRating(Text("PG"));
  p->SetStarRating(Text("3/5"));
  ComPtr<IScheduleEntry> entry =
      run.AddEntry("k", nullptr, p.Get(), "2024-03-01", "10:00", "11:00");
  ComPtr<IProgram> bare = run.NewProgram("Bare");
  ComPtr<IScheduleEntry> second =
      run.AddEntry("k2", nullptr, bare.Get(), "2024-03-01", "11:00", "12:00");
  entry.Reset();
  second.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT title, sub_title, description, category, directors, actors, "
                  "presenters, date, star_rating, subtitles, previously_shown, rating, country, "
                  "language, orig_language, episode_number, colour, aspect, audio_present, "
                  "video_present, stereo, length, premiere, last_chance, is_new FROM programs "
                  "ORDER BY id"),
            (std::vector<std::string>{
                "Title|Sub|Desc|Film|A, B|X, Y, Z|P1, P2|1999|3/5|teletext|1|PG|UK|en|fr|"
                "1.2.0/3|1|16:9|1|0|dolby|45|1|1|1",
                "Bare|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
                "NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL"}));
}

// Texts replaced, lists of names grown between other texts, and changes after the row was handed
// to the writer: the row ends with the last value of each.
TEST_F(ComponentTest, ProgramTextsKeepTheirLastValue) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IProgram> p = run.NewProgram("First title");
  p->SetDirector(Text("A"));
  p->SetDescription(Text(std::string(300, 'd')));
  p->SetTitle(Text("K\xC3\xB6ln \xF0\x9F\x93\xBA"));
  p->SetDirector(Text("B"));
  ComPtr<IScheduleEntry> entry =
      run.AddEntry("k", nullptr, p.Get(), "2024-03-01", "10:00", "11:00");
  entry.Reset();
  p->SetDirector(Text("C"));
  p->SetSubTitle(Text("Sub"));
  p->SetDescription(Text("Short"));
  p.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT title, sub_title, description, directors FROM programs"),
            (std::vector<std::string>{"K\xC3\xB6ln \xF0\x9F\x93\xBA|Sub|Short|A, B, C"}));
}

TEST_F(ComponentTest, TimesAreStoredAsGivenEvenWhenNotValid) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IScheduleEntry> entry;
  run.entries->Add(Text("odd"), entry.Out());
  entry->SetStartTime(0, 0, 0, 0, 0, 0);
  entry->SetEndTime(2023, 13, 32, 24, 60, 61);
  run.entries->Add(Text("wide"), entry.Out());
  entry->SetStartTime(65535, 100, 7, 1, 2, 3);
  entry->SetEndTime(9, 9, 9, 9, 9, 9);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT start_time, end_time, service_id, program_id FROM schedule_entries "
                  "ORDER BY id"),
            (std::vector<std::string>{"0000-00-00 00:00:00|2023-13-32 24:60:61|NULL|NULL",
                                      "65535-100-07 01:02:03|0009-09-09 09:09:09|NULL|NULL"}));
}

TEST_F(ComponentTest, AddOfAStoredSlotKeyGivesTheSameRowEmptied) {
  {
    Session run;
    ASSERT_TRUE(run.opened);
    ComPtr<IService> service = run.AddService("one", "One");
    ComPtr<IScheduleEntry> entry = run.AddEntry(
        "one::a::b", service.Get(), run.NewProgram("Old").Get(), "2024-03-01", "10:00", "11:00");
    entry->AddProgram(run.NewProgram("Old extra").Get());
    entry.Reset();
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  std::string id = Scalar("SELECT id FROM schedule_entries");
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> service = run.AddService("one", "One");
  run.AddEntry("one::a::b", service.Get(), run.NewProgram("New").Get(), "2024-03-01", "10:00",
               "11:00");
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT e.id, p.title FROM schedule_entries e JOIN programs p ON p.id = "
                  "e.program_id"),
            (std::vector<std::string>{id + "|New"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entry_programs"), "0");
  EXPECT_EQ(Query("SELECT title FROM programs"), (std::vector<std::string>{"New"}));
}

TEST_F(ComponentTest, AddedProgramsAreKeptInCallOrder) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> service = run.AddService("one", "One");
  run.AddEntry("one::a::b", service.Get(), run.NewProgram("Main").Get(), "2024-03-01", "10:00",
               "11:00");
  for (const char* title : {"Second", "Third", "Fourth"}) {
    ComPtr<IScheduleEntry> found;
    ASSERT_EQ(run.entries->Find(Text("one::a::b"), found.Out()), S_OK);
    found->AddProgram(run.NewProgram(title).Get());
  }
  ComPtr<IScheduleEntry> none;
  EXPECT_EQ(run.entries->Find(Text("one::a::c"), none.Out()), S_FALSE);
  EXPECT_FALSE(none);
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT x.seq, p.title FROM schedule_entry_programs x JOIN programs p ON p.id "
                  "= x.program_id ORDER BY x.seq"),
            (std::vector<std::string>{"1|Second", "2|Third", "3|Fourth"}));
  EXPECT_EQ(Query("SELECT p.title FROM schedule_entries e JOIN programs p ON p.id = "
                  "e.program_id"),
            (std::vector<std::string>{"Main"}));
}

TEST_F(ComponentTest, ProgramsNoEntryUsesLeaveNoRow) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IProgram> skipped = run.NewProgram("Skipped clump");
  skipped->SetDescription(Text("never attached"));
  skipped.Reset();
  ComPtr<IProgram> replaced = run.NewProgram("Replaced");
  ComPtr<IScheduleEntry> entry =
      run.AddEntry("k", nullptr, replaced.Get(), "2024-03-01", "10:00", "11:00");
  entry.Reset();
  ComPtr<IScheduleEntry> again;
  run.entries->Find(Text("k"), again.Out());
  again->SetProgram(run.NewProgram("Kept").Get());
  again.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT title FROM programs"), (std::vector<std::string>{"Kept"}));
}

TEST_F(ComponentTest, ProviderIsLookedUpByName) {
  {
    Session run;
    ASSERT_TRUE(run.opened);
    ComPtr<IProvider> missing;
    EXPECT_EQ(run.providers->Lookup(Text("XMLTV"), missing.Out()), S_FALSE);
    EXPECT_FALSE(missing);
    run.NewProvider("XMLTV")->SetURL(Text("http://xmltv.example/"));
    ComPtr<IProvider> found;
    EXPECT_EQ(run.providers->Lookup(Text("XMLTV"), found.Out()), S_OK);
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IProvider> found;
  ASSERT_EQ(run.providers->Lookup(Text("XMLTV"), found.Out()), S_OK);
  run.NewProvider("XMLTV");
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT name, url FROM providers"),
            (std::vector<std::string>{"XMLTV|http://xmltv.example/"}));
}

TEST_F(ComponentTest, SourceAndServicesFileAreRecorded) {
  Session run;
  ASSERT_TRUE(run.opened);
  run.database->SetSourceDescription(Text("XMLTV data read from: /tmp/listings.xml"));
  run.database->SetServicesFile(Text(""));
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT key, value FROM metadata ORDER BY key"),
            (std::vector<std::string>{
                "services_file|", "source_description|XMLTV data read from: /tmp/listings.xml"}));
}

TEST_F(ComponentTest, ServicesFileGivesPositions) {
  std::string file = (folder_.path() / "order.txt").string();
  {
    std::ofstream out(file, std::ios::binary);
    out << "three\r\n\r\none\n  \nnot-a-service\nthree\n";
  }
  {
    Session run;
    ASSERT_TRUE(run.opened);
    for (const char* id : {"one", "two", "three"})
      run.AddService(id, id);
    run.database->SetServicesFile(Text(file));
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  EXPECT_EQ(Query("SELECT channel_id, position FROM services ORDER BY channel_id"),
            (std::vector<std::string>{"one|2", "three|1", "two|NULL"}));

  // A file that cannot be read changes no position.
  Session run;
  ASSERT_TRUE(run.opened);
  run.database->SetServicesFile(Text((folder_.path() / "missing.txt").string()));
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT channel_id, position FROM services ORDER BY channel_id"),
            (std::vector<std::string>{"one|2", "three|1", "two|NULL"}));
}

TEST_F(ComponentTest, LocationFollowsTheEnvironment) {
  std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
  unsetenv("GLIMMERBOX_EPG_DB");
  setenv("XDG_DATA_HOME", (folder_.path() / "data").c_str(), 1);
  {
    Session run;
    ASSERT_TRUE(run.opened);
    run.Close();
  }
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "data" / "glimmerbox" / "epg.sqlite"));
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", (folder_.path() / "home").c_str(), 1);
  {
    Session run;
    ASSERT_TRUE(run.opened);
    run.Close();
  }
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "home" / ".local" / "share" / "glimmerbox" /
                                      "epg.sqlite"));
  setenv("HOME", home.c_str(), 1);
}

TEST_F(ComponentTest, NewerSchemaIsRefused) {
  {
    Session run;
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dbPath_.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  Session run;
  EXPECT_FALSE(run.opened);
  ComPtr<IServices> services;
  EXPECT_TRUE(FAILED(run.database->GetServices(services.Out())));
  EXPECT_FALSE(services);
}

}  // namespace
}  // namespace epgdb_test
