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

class TransactionTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("first"));
    ComPtr<IProviders> providers;
    ComPtr<IProvider> provider;
    run.database->GetProviders(providers.Out());
    providers->Create(provider.Out());
    provider->SetName(Text("XMLTV"));
    for (std::string key : {"one::10", "one::11", "two::10"}) {
      run.Entry(key, key.substr(0, 3), "Show+Extra", key.substr(5) + ":00", key.substr(5) + ":59")
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
    ComPtr<IScheduleEntry> entry = run.Entry("one::10", "", "Replacement", "", "");
    run.entries->Reconcile(entry.Get());
    entry.Reset();
    run.entries->RemoveOlderThan(0);
    for (int i = 0; i < 100; ++i)
      run.Entry("bulk::" + std::to_string(i), "bulk", "Bulk", "", "");
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
  EXPECT_EQ(entries->Find(Text("one::10"), found.Out()), S_FALSE);
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
      run.Entry("bulk::" + std::to_string(i), "bulk", std::string(200, 'd'), "", "");
    _exit(FAILED(run.Save()) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: Save reported success, 2: Open failed";
  EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Dump(), before_);
}

// Clean only asks: the next import to open empties the guide inside its transaction, and only
// when it saves does the empty guide show. From there every entry reconciles itself as written.
TEST_F(TransactionTest, CleanEmptiesTheGuideWithTheNextImportThatSaves) {
  for (bool save : {false, true}) {
    VARIANT_BOOL cleaned = 0;
    EXPECT_EQ(CreateComponent()->Clean(&cleaned), S_OK);
    EXPECT_EQ(cleaned, VARIANT_TRUE);
    EXPECT_EQ(Dump(), before_);
    ImportRun run;
    ASSERT_TRUE(run.opened);
    run.Entry("new::10", "new", "New", "10:00", "11:00");
    run.Entry("new::10:30", "new", "Overlapping", "10:30", "11:30");
    EXPECT_EQ(Dump(), before_);
    if (save) {
      EXPECT_EQ(run.Save(), S_OK);
    }
    run.Close();
  }
  const std::vector<std::string> guide = {"new|10:30|Overlapping"};
  EXPECT_EQ(Guide(), guide);
  EXPECT_EQ(Scalar("SELECT (SELECT count(*) FROM providers) + (SELECT count(*) FROM metadata)"),
            "0");
  ImportRun run;  // the request was taken: this import keeps the guide
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Guide(), guide);
}

TEST_F(TransactionTest, RemoveOlderThanDeletesTheEntriesThatEndedThatManyDaysAgo) {
  auto hoursFromNow = [now = time(nullptr)](int hours) {
    time_t t = now + hours * 3600;
    struct tm tm;
    char text[20];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime_r(&t, &tm));
    return std::string(text);
  };
  std::filesystem::remove_all(dir_ / "guide");
  ImportRun first;
  for (int hours : {-72, -1, 24}) {
    std::string ends = std::to_string(hours);
    first.Entry(ends, "one", ends + "+extra", hoursFromNow(hours - 1), hoursFromNow(hours));
  }
  EXPECT_EQ(first.Save(), S_OK);
  first.Close();
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
            (std::vector<std::string>{"one|" + hoursFromNow(23).substr(11, 5) + "|24+extra"}));
}

}  // namespace
}  // namespace epgdb_test
