// One import is one transaction: what is not saved is never seen, not while the import runs, nor
// after Close; a clean and old entries go with the import that saves. Its writes run on the
// writer thread in the order they were handed over, within their group, and one that fails makes
// the Save fail.
#include <gtest/gtest.h>
#include <time.h>

#include <map>
#include <new>
#include <vector>

#include "epgdb/session.h"
#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

// The local time `hours` from the start of the test.
std::string HoursFromNow(int hours) {
  static const time_t now = time(nullptr);
  time_t t = now + hours * 3600;
  struct tm tm;
  char text[20];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime_r(&t, &tm));
  return text;
}

using TransactionTest = DatabaseTest;

// On a saved guide of entries an hour long that ended 72 and 1 hours ago and end in 24 hours:
// imports that change everything but do not save, with a clean asked for before they open or
// not; then imports that remove the entries that ended that many days ago; then a clean saved,
// which the import after it does not repeat.
TEST_F(TransactionTest, OnlyWhatAnImportSavedIsSeen) {
  {
    ImportRun run;
    run.database->SetSourceDescription(Text("first"));
    ComPtr<IProvider> provider;
    run.providers->Create(provider.Out());
    provider->SetName(Text("XMLTV"));
    for (int hours : {-72, -1, 24})
      run.Entry(std::to_string(hours), "one", "Show+Extra", HoursFromNow(hours - 1),
                HoursFromNow(hours));
    ASSERT_EQ(run.Save(), S_OK);
  }
  const std::vector<std::string> before = testing_support::DumpGuide(db_);
  for (bool clean : {false, true}) {
    ComPtr<IScheduleEntries> entries;  // still held after Close, as the import holds them
    {
      ImportRun run(clean);
      ASSERT_TRUE(run.opened);
      run.database->SetSourceDescription(Text("second"));
      run.database->SetServicesFile(Text("/nonexistent"));
      run.Service("one")->SetName(Text("renamed one"));
      run.entries->Reconcile(run.Entry("-1", "", "Replacement").Get());
      run.entries->RemoveOlderThan(0);
      for (int i = 0; i < 100; ++i)
        run.Entry("bulk::" + std::to_string(i), "bulk", "Bulk");
      LONG prepared = 0;
      run.database->PrepareSave(&prepared);
      EXPECT_EQ(testing_support::DumpGuide(db_),
                before);  // a reader sees the saved guide meanwhile
      VARIANT_BOOL cleaned = 0;
      EXPECT_EQ(run.database->Clean(&cleaned), S_OK);
      entries = run.entries;
      run.Close();
    }
    ComPtr<IScheduleEntry> found;
    EXPECT_EQ(entries->Find(Text("-1"), found.Out()), S_FALSE);
    EXPECT_EQ(testing_support::DumpGuide(db_), before);
  }

  const std::pair<LONG, std::vector<std::string>> removals[] = {
      {-1, {"-72", "-1", "24"}}, {4, {"-72", "-1", "24"}}, {2, {"-1", "24"}}, {0, {"24"}}};
  for (const auto& [days, left] : removals) {
    ImportRun run;
    run.entries->RemoveOlderThan(days);
    EXPECT_EQ(run.Save(), S_OK);
    run.Close();
    EXPECT_EQ(Query("SELECT slot_key FROM schedule_entries ORDER BY end_time"), left) << days;
  }
  EXPECT_EQ(Guide(),
            (std::vector<std::string>{"one|" + HoursFromNow(23).substr(11, 5) + "|Show+Extra"}));

  {
    ImportRun run(true);
    run.Entry("new", "new", "New", "10:00", "11:00");
    EXPECT_EQ(run.Save(), S_OK);
  }
  EXPECT_EQ(ImportRun().Save(), S_OK);
  EXPECT_EQ(Guide(), std::vector<std::string>{"new|10:00|New"});
  EXPECT_EQ(Scalar("SELECT (SELECT count(*) FROM providers) + (SELECT count(*) FROM metadata)"),
            "0");
}

TEST_F(TransactionTest, TasksRunInOrderOfTheirGroupAndAFailureOnTheWriterThreadFailsTheSave) {
  for (bool fail : {false, true}) {
    // Tasks run by group (-1: ungrouped), written by the writer thread, read after Save.
    std::map<int, std::vector<int>> done, expected;
    std::shared_ptr<epgdb::Session> session = epgdb::Session::Open(db_);
    ASSERT_NE(session, nullptr);
    session->SetMetadata("source_description", fail ? "lost" : "kept");
    // Far more tasks than the queue and the window hold: Post must wait for room, never drop a
    // task or reorder those of a group.
    for (int i = 0; i < 50000; ++i) {
      int group = i % 4 == 0 ? -1 : i % 7;
      expected[group].push_back(i);
      auto task = [&done, i, group] { done[group].push_back(i); };
      group < 0 ? session->Post(task) : session->Post(task, group);
    }
    if (fail)
      session->Post([] { throw std::bad_alloc(); });
    session->Post([&done] { done[-1].push_back(-1); });  // run after a failed task too
    expected[-1].push_back(-1);
    EXPECT_EQ(session->Save() < 0, fail);
    EXPECT_EQ(done, expected);
    session->Close();
  }
  EXPECT_EQ(Scalar("SELECT value FROM metadata WHERE key = 'source_description'"), "kept");
}

}  // namespace
}  // namespace epgdb_test
