#include <gtest/gtest.h>
#include <time.h>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

using CleanTest = DatabaseTest;

// Sets the entry's start or end to the local time `hours` from now.
void SetTimeFromNow(IScheduleEntry* entry, int hours, bool end) {
  time_t t = time(nullptr) + hours * 3600;
  struct tm tm;
  localtime_r(&t, &tm);
  auto set = end ? &IScheduleEntry::SetEndTime : &IScheduleEntry::SetStartTime;
  (entry->*set)(uint16_t(tm.tm_year + 1900), uint16_t(tm.tm_mon + 1), uint16_t(tm.tm_mday),
                uint16_t(tm.tm_hour), uint16_t(tm.tm_min), uint16_t(tm.tm_sec));
}

// Stores one entry per title, each one hour long ending `endsInHours` from now, with one added
// program.
void StoreEntriesEnding(const std::vector<std::pair<std::string, int>>& entries) {
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> service = run.AddService("one", "One");
  for (const auto& [title, endsInHours] : entries) {
    ComPtr<IScheduleEntry> entry;
    run.entries->Add(Text(title), entry.Out());
    entry->SetService(service.Get());
    entry->SetProgram(run.NewProgram(title).Get());
    SetTimeFromNow(entry.Get(), endsInHours - 1, false);
    SetTimeFromNow(entry.Get(), endsInHours, true);
    entry->AddProgram(run.NewProgram(title + " extra").Get());
  }
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
}

TEST_F(CleanTest, RemoveOlderThanDeletesEntriesThatEndedThatLongAgo) {
  StoreEntriesEnding({{"three days ago", -72}, {"an hour ago", -1}, {"tomorrow", 24}});
  auto remove = [&](LONG days) {
    Session run;
    ASSERT_TRUE(run.opened);
    run.entries->RemoveOlderThan(days);
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  };
  const char* titles =
      "SELECT p.title FROM schedule_entries e JOIN programs p ON p.id = e.program_id "
      "ORDER BY e.end_time";
  remove(-1);
  remove(4);
  EXPECT_EQ(Query(titles), (std::vector<std::string>{"three days ago", "an hour ago", "tomorrow"}));
  remove(2);
  EXPECT_EQ(Query(titles), (std::vector<std::string>{"an hour ago", "tomorrow"}));
  remove(0);
  EXPECT_EQ(Query(titles), (std::vector<std::string>{"tomorrow"}));
  // The programs of removed entries, added ones included, go at the same save.
  EXPECT_EQ(Query("SELECT title FROM programs ORDER BY title"),
            (std::vector<std::string>{"tomorrow", "tomorrow extra"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entry_programs"), "1");
}

TEST_F(CleanTest, CleanEmptiesTheDatabaseWithTheNextImport) {
  StoreEntriesEnding({{"old", 5}});
  {
    Session run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("old source"));
    run.NewProvider("Old provider");
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  std::string before = Dump();

  ComPtr<IEPGDatabase> cleaner = CreateComponent();
  VARIANT_BOOL cleaned = 0;
  cleaner->Clean(&cleaned);
  EXPECT_EQ(cleaned, VARIANT_TRUE);
  cleaner.Reset();
  EXPECT_EQ(Dump(), before);  // readers never see an emptied guide

  {
    Session run;  // takes the clean over
    ASSERT_TRUE(run.opened);
    run.AddEntry("new", run.AddService("new", "New").Get(), run.NewProgram("New").Get(),
                 "2030-01-01", "10:00", "11:00");
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
  }
  EXPECT_EQ(Dump(),
            "providers:\n"
            "services:\n1|new|New|NULL|NULL\n"
            "programs:\n1|New|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
            "NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL\n"
            "schedule_entries:\n1|new|1|NULL|1|2030-01-01 10:00:00|2030-01-01 11:00:00\n"
            "schedule_entry_programs:\nmetadata:\n");

  // The request was taken: the next import keeps the data.
  Session run;
  ASSERT_TRUE(run.opened);
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entries"), "1");
}

TEST_F(CleanTest, CleanThatIsNotSavedLeavesTheGuide) {
  StoreEntriesEnding({{"old", 5}});
  std::string before = Dump();
  ComPtr<IEPGDatabase> cleaner = CreateComponent();
  VARIANT_BOOL cleaned = 0;
  cleaner->Clean(&cleaned);
  Session run;
  ASSERT_TRUE(run.opened);
  run.Close();
  EXPECT_EQ(Dump(), before);
}

}  // namespace
}  // namespace epgdb_test
