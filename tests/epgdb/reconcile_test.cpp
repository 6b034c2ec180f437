#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "epgdb/time_text.h"
#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

// Entries "titles|channel|start|end[|key]" stored by a saved run without Reconcile, then entries
// added and reconciled in this order by the next saved run, what each Reconcile answers, and the
// guide that results. The key is "channel::start::end" unless given.
const struct {
  std::vector<std::string> stored, added;
  HRESULT result;
  std::vector<std::string> guide;
} kCases[] = {
    // Only overlapping entries of the same service go, and their added programs with them.
    {{"Before|one|08:00|09:00", "Touching|one|09:00|10:00", "Reaching in|one|09:30|10:30",
      "Clumped+Clump part|one|10:30|11:00", "Inside|one|11:00|11:15",
      "Starting at the end|one|11:30|12:00", "Other service|two|10:00|11:30"},
     {"New|one|10:00|11:30"},
     S_OK,
     {"one|08:00|Before", "one|09:00|Touching", "one|10:00|New", "one|11:30|Starting at the end",
      "two|10:00|Other service"}},
    // The entry the search starts from stays when it ends where the new one starts.
    {{"Ends at ten|one|09:00|10:00", "Later|one|12:00|13:00"},
     {"New|one|10:00|11:00"},
     S_OK,
     {"one|09:00|Ends at ten", "one|10:00|New", "one|12:00|Later"}},
    // A re-imported entry keeps its row; one moved replaces what it now covers.
    {{"Show+Part|one|10:00|11:00"},
     {"Show, updated|one|10:00|11:00"},
     S_OK,
     {"one|10:00|Show, updated"}},
    {{"Show|one|10:00|11:00", "Next|one|11:00|12:00"},
     {"Show|one|10:30|11:30|one::10:00::11:00"},
     S_OK,
     {"one|10:30|Show"}},
    // The stored service and times count when the import sets none.
    {{"Long|one|10:00|12:00", "Inside|one|10:30|11:00"},
     {"Long, updated||||one::10:00::12:00"},
     S_OK,
     {"one|10:00|Long, updated"}},
    // An entry without service removes nothing.
    {{"Show|one|10:00|11:00"},
     {"Lost||10:00|11:00|unknown"},
     S_FALSE,
     {"-|10:00|Lost", "one|10:00|Show"}},
    // Entries behind the end of the guide skip the search; those before it do not.
    {{"Stored|one|08:00|09:00"},
     {"A|one|09:00|10:00", "B|one|10:00|11:00", "C|one|11:00|12:00",
      "Across B and C|one|10:30|11:30", "Across the stored one|one|08:30|09:15"},
     S_OK,
     {"one|08:30|Across the stored one", "one|10:30|Across B and C"}},
};

using ReconcileTest = DatabaseTest;

TEST_F(ReconcileTest, EntriesOfAServiceNeverOverlapOnceReconciled) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.guide.back());
    std::filesystem::remove_all(dir_ / "guide");
    for (bool storing : {true, false}) {
      ImportRun run;
      for (const std::string& e : storing ? c.stored : c.added) {
        std::istringstream in(e);
        std::string f[5];  // titles, channel, start, end, key
        for (std::string& field : f)
          std::getline(in, field, '|');
        std::string key = f[4].empty() ? f[1] + "::" + f[2] + "::" + f[3] : f[4];
        ComPtr<IScheduleEntry> entry = run.Entry(key, f[1], f[0], f[2], f[3]);
        if (!storing) {
          EXPECT_EQ(run.entries->Reconcile(entry.Get()), c.result);
        }
      }
      EXPECT_EQ(run.Save(), S_OK);
    }
    EXPECT_EQ(Guide(), c.guide);
  }
}

// A reconcile deletes what overlaps when it is called: not a stored entry that is moved into its
// range and written after it, while its own entry is still held.
TEST_F(ReconcileTest, DeletesWhatOverlapsWhenCalled) {
  {
    ImportRun stored;
    stored.Entry("moved", "one", "Moved", "08:00", "09:00");
    EXPECT_EQ(stored.Save(), S_OK);
  }
  ImportRun run;
  ComPtr<IScheduleEntry> moved;
  ASSERT_EQ(run.entries->Find(Text("moved"), moved.Out()), S_OK);
  ComPtr<IScheduleEntry> held = run.Entry("held", "one", "Held", "10:00", "11:00");
  EXPECT_EQ(run.entries->Reconcile(held.Get()), S_OK);
  moved->SetStartTime(2024, 3, 1, 10, 30, 0);
  moved->SetEndTime(2024, 3, 1, 11, 30, 0);
  moved.Reset();
  held.Reset();
  EXPECT_EQ(run.Save(), S_OK);
  EXPECT_EQ(Guide(), (std::vector<std::string>{"one|10:00|Held", "one|10:30|Moved"}));
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
