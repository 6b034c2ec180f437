#include <gtest/gtest.h>

#include "epgdb/time_text.h"
#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

using ReconcileTest = DatabaseTest;

// Stores entries "title@service start-end" on 2024-03-01 in one saved run.
void StoreGuide(
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>>& entries) {
  Session run;
  ASSERT_TRUE(run.opened);
  for (const auto& [title, channel, start, end] : entries) {
    ComPtr<IService> service = run.AddService(channel, channel);
    ComPtr<IScheduleEntry> entry =
        run.AddEntry(channel + "::" + start + "::" + end, service.Get(),
                     run.NewProgram(title).Get(), "2024-03-01", start, end);
    if (title == "Clumped")
      entry->AddProgram(run.NewProgram("Clump part").Get());
  }
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
}

TEST_F(ReconcileTest, RemovesOverlappingEntriesOfTheSameServiceOnly) {
  StoreGuide({{"Before", "one", "08:00", "09:00"},
              {"Touching", "one", "09:00", "10:00"},
              {"Reaching in", "one", "09:30", "10:30"},
              {"Clumped", "one", "10:30", "11:00"},
              {"Inside", "one", "11:00", "11:15"},
              {"Starting at the end", "one", "11:30", "12:00"},
              {"Other service", "two", "10:00", "11:30"}});
  // Entries of one service never overlap once reconciled; "Touching" and "Reaching in" do
  // here only because they were stored without Reconcile.
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> one = run.AddService("one", "one");
  ComPtr<IScheduleEntry> entry = run.AddEntry(
      "one::10:00::11:30", one.Get(), run.NewProgram("New").Get(), "2024-03-01", "10:00", "11:30");
  EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_OK);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT s.channel_id, p.title FROM schedule_entries e JOIN services s ON s.id "
                  "= e.service_id JOIN programs p ON p.id = e.program_id ORDER BY "
                  "s.channel_id, e.start_time"),
            (std::vector<std::string>{"one|Before", "one|Touching", "one|New",
                                      "one|Starting at the end", "two|Other service"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entry_programs"), "0");
  EXPECT_EQ(Scalar("SELECT count(*) FROM programs"), "5");
}

TEST_F(ReconcileTest, ReimportOfTheSameEntryKeepsIt) {
  StoreGuide({{"Show", "one", "10:00", "11:00"}});
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> one = run.AddService("one", "one");
  ComPtr<IScheduleEntry> entry =
      run.AddEntry("one::10:00::11:00", one.Get(), run.NewProgram("Show, updated").Get(),
                   "2024-03-01", "10:00", "11:00");
  EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_OK);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT p.title, e.start_time FROM schedule_entries e JOIN programs p ON p.id "
                  "= e.program_id"),
            (std::vector<std::string>{"Show, updated|2024-03-01 10:00:00"}));
}

TEST_F(ReconcileTest, MovedEntryReplacesWhatItNowCovers) {
  StoreGuide({{"Show", "one", "10:00", "11:00"}, {"Next", "one", "11:00", "12:00"}});
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> one = run.AddService("one", "one");
  // The same slot key with later times: the stored row moves and covers "Next".
  ComPtr<IScheduleEntry> entry = run.AddEntry(
      "one::10:00::11:00", one.Get(), run.NewProgram("Show").Get(), "2024-03-01", "10:30", "11:30");
  EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_OK);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT p.title, e.start_time, e.end_time FROM schedule_entries e JOIN "
                  "programs p ON p.id = e.program_id"),
            (std::vector<std::string>{"Show|2024-03-01 10:30:00|2024-03-01 11:30:00"}));
}

TEST_F(ReconcileTest, StoredPlaceIsUsedWhenTheImportSetsNone) {
  StoreGuide({{"Long", "one", "10:00", "12:00"}, {"Inside", "one", "10:30", "11:00"}});
  Session run;
  ASSERT_TRUE(run.opened);
  // Only the program changes: service and times come from the stored row, which the writer
  // thread looks up, and Reconcile must still see them.
  ComPtr<IScheduleEntry> entry;
  ASSERT_EQ(run.entries->Add(Text("one::10:00::12:00"), entry.Out()), S_OK);
  entry->SetProgram(run.NewProgram("Long, updated").Get());
  EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_OK);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT p.title, e.start_time FROM schedule_entries e JOIN programs p ON p.id "
                  "= e.program_id"),
            (std::vector<std::string>{"Long, updated|2024-03-01 10:00:00"}));
}

TEST_F(ReconcileTest, EntryWithoutServiceRemovesNothing) {
  StoreGuide({{"Show", "one", "10:00", "11:00"}});
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IScheduleEntry> entry =
      run.AddEntry("unknown::10:00::11:00", nullptr, run.NewProgram("Lost").Get(), "2024-03-01",
                   "10:00", "11:00");
  EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_FALSE);
  entry.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entries"), "2");
}

// Entries that start where the guide of their service ends overlap nothing and skip the search;
// one that starts earlier, in this run or a stored one, is still reconciled with all of them.
TEST_F(ReconcileTest, EntriesBehindTheEndOfTheGuideAndBeforeIt) {
  StoreGuide({{"Stored", "one", "08:00", "09:00"}});
  Session run;
  ASSERT_TRUE(run.opened);
  ComPtr<IService> one = run.AddService("one", "one");
  auto reconcile = [&](const std::string& title, const std::string& start, const std::string& end) {
    ComPtr<IScheduleEntry> entry =
        run.AddEntry("one::" + start + "::" + end, one.Get(), run.NewProgram(title).Get(),
                     "2024-03-01", start, end);
    EXPECT_EQ(run.entries->Reconcile(entry.Get()), S_OK);
  };
  reconcile("A", "09:00", "10:00");
  reconcile("B", "10:00", "11:00");
  reconcile("C", "11:00", "12:00");
  reconcile("Across B and C", "10:30", "11:30");
  reconcile("Across the stored one", "08:30", "09:15");
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Query("SELECT p.title FROM schedule_entries e JOIN programs p ON p.id = e.program_id "
                  "ORDER BY e.start_time"),
            (std::vector<std::string>{"Across the stored one", "Across B and C"}));
}

// Only an entry with real times may delete others: a programme without start is all zero.
TEST(ReconcileTimes, OnlyCalendarTimesCount) {
  for (const char* time : {"2024-02-29 23:59:59", "0001-01-01 00:00:00", "9999-12-31 12:00:00"})
    EXPECT_TRUE(epgdb::IsCalendarTime(std::string(time))) << time;
  for (const char* time : {"0000-00-00 00:00:00", "2023-02-29 10:00:00", "2024-04-31 10:00:00",
                           "2024-13-01 10:00:00", "2024-01-01 24:00:00", "2024-01-01 10:60:00",
                           "2024-01-01 10:00:60", "12024-01-01 10:00:00", "2024-01-01T10:00:00"})
    EXPECT_FALSE(epgdb::IsCalendarTime(std::string(time))) << time;
  EXPECT_FALSE(epgdb::IsCalendarTime(epgdb::Value()));
}

}  // namespace
}  // namespace epgdb_test
