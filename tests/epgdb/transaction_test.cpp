// One import is one transaction: what is not saved is never seen, not while the import runs, nor
// after Close or a failed commit; a clean and old entries go with the import that saves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>

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

class TransactionTest : public DatabaseTest {
 protected:
  // A saved guide: entries an hour long that ended 72 and 1 hours ago and end in 24 hours.
  void SetUp() override {
    DatabaseTest::SetUp();
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("first"));
    ComPtr<IProvider> provider;
    run.providers->Create(provider.Out());
    provider->SetName(Text("XMLTV"));
    for (int hours : {-72, -1, 24}) {
      run.Entry(std::to_string(hours), "one", "Show+Extra", HoursFromNow(hours - 1),
                HoursFromNow(hours))
          ->SetProvider(provider.Get());
    }
    ASSERT_EQ(run.Save(), S_OK);
    run.Close();
    before_ = Dump();
  }
  std::string before_;
};

TEST_F(TransactionTest, WhatIsNotSavedIsSeenNeitherDuringTheImportNorAfterClose) {
  ComPtr<IScheduleEntries> entries;  // still held after Close, as the import holds them
  ComPtr<IService> late;
  {
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("second"));
    run.database->SetServicesFile(Text("/nonexistent"));
    run.Service("one")->SetName(Text("renamed one"));
    ComPtr<IScheduleEntry> entry = run.Entry("-1", "", "Replacement");
    run.entries->Reconcile(entry.Get());
    entry.Reset();
    run.entries->RemoveOlderThan(0);
    for (int i = 0; i < 100; ++i)
      run.Entry("bulk::" + std::to_string(i), "bulk", "Bulk");
    LONG prepared = 0;
    run.database->PrepareSave(&prepared);
    EXPECT_EQ(Dump(), before_);  // a reader sees the saved guide meanwhile
    VARIANT_BOOL cleaned = 0;
    run.database->Clean(&cleaned);
    EXPECT_EQ(cleaned, VARIANT_TRUE);
    entries = run.entries;
    late = run.Service("late");
    run.Close();
  }
  ComPtr<IScheduleEntry> found;
  EXPECT_EQ(entries->Find(Text("-1"), found.Out()), S_FALSE);
  late->SetName(Text("changed after Close"));
  late.Reset();
  EXPECT_EQ(Dump(), before_);
}

TEST_F(TransactionTest, AFailedCommitIsReportedAndStoresNothing) {
  rlim_t limit = std::filesystem::file_size(db_) + (64 << 10);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The file system is full for this process: no file may grow beyond the limit.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    ImportRun run;
    if (!run.opened)
      _exit(2);
    for (int i = 0; i < 2000; ++i)
      run.Entry("bulk::" + std::to_string(i), "bulk", std::string(200, 'd'));
    _exit(FAILED(run.Save()) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: Save reported success, 2: Open failed";
  EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Dump(), before_);
}

// Clean only asks: the next import to open empties the guide inside its transaction, and only
// when it saves does the empty guide show.
TEST_F(TransactionTest, CleanEmptiesTheGuideWithTheNextImportThatSaves) {
  for (bool save : {false, true}) {
    VARIANT_BOOL cleaned = 0;
    EXPECT_EQ(CreateComponent()->Clean(&cleaned), S_OK);
    EXPECT_EQ(cleaned, VARIANT_TRUE);
    EXPECT_EQ(Dump(), before_);
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.Entry("new", "new", "New", "10:00", "11:00");
    EXPECT_EQ(Dump(), before_);
    if (save) {
      EXPECT_EQ(run.Save(), S_OK);
    }
    run.Close();
  }
  const std::vector<std::string> guide = {"new|10:00|New"};
  EXPECT_EQ(Guide(), guide);
  EXPECT_EQ(Scalar("SELECT (SELECT count(*) FROM providers) + (SELECT count(*) FROM metadata)"),
            "0");
  ImportRun run;  // the request was taken: this import keeps the guide
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Guide(), guide);
}

TEST_F(TransactionTest, RemoveOlderThanDeletesTheEntriesThatEndedThatManyDaysAgo) {
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
}

}  // namespace
}  // namespace epgdb_test
