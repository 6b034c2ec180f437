// One import is one transaction: what is not saved is never seen, not after Close, a kill or a
// failed commit, and a second import waits for the first.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

class TransactionTest : public DatabaseTest {
 protected:
  // A saved guide of two services and their entries.
  void StoreGuide() {
    Session run;
    ASSERT_TRUE(run.opened);
    run.database->SetSourceDescription(Text("first"));
    ComPtr<IProvider> provider = run.NewProvider("XMLTV");
    for (const char* channel : {"one", "two"}) {
      ComPtr<IService> service = run.AddService(channel, channel);
      for (const char* hour : {"10", "11"}) {
        ComPtr<IScheduleEntry> entry =
            run.AddEntry(std::string(channel) + "::" + hour, service.Get(),
                         run.NewProgram(std::string("Show at ") + hour).Get(), "2030-01-01",
                         std::string(hour) + ":00", std::string(hour) + ":59");
        entry->SetProvider(provider.Get());
        entry->AddProgram(run.NewProgram("Extra").Get());
      }
    }
    ASSERT_EQ(run.Save(), S_OK);
    run.Close();
  }

  // Adds `count` entries of an hour each on a new service, reconciling each.
  static void AddMany(Session& run, int count, int signalFd = -1, int signalAfter = 0) {
    ComPtr<IService> service = run.AddService("bulk", "Bulk");
    for (int i = 0; i < count; ++i) {
      ComPtr<IProgram> program = run.NewProgram("Programme " + std::to_string(i));
      program->SetDescription(Text(std::string(200, 'd')));
      std::string day = "20" + std::to_string(31 + i / 8760) + "-01-01";
      ComPtr<IScheduleEntry> entry;
      run.entries->Add(Text("bulk::" + std::to_string(i)), entry.Out());
      entry->SetService(service.Get());
      entry->SetProgram(program.Get());
      entry->SetStartTime(uint16_t(2031 + i / 8760), 1, uint16_t(1 + i % 8760 / 24),
                          uint16_t(i % 24), 0, 0);
      entry->SetEndTime(uint16_t(2031 + i / 8760), 1, uint16_t(1 + i % 8760 / 24), uint16_t(i % 24),
                        59, 0);
      run.entries->Reconcile(entry.Get());
      if (i + 1 == signalAfter && write(signalFd, "x", 1) != 1)
        _exit(3);
    }
  }

  std::string IntegrityCheck() const { return Scalar("PRAGMA integrity_check"); }
};

TEST_F(TransactionTest, CloseWithoutSaveLeavesTheDatabaseAsBefore) {
  StoreGuide();
  std::string before = Dump();
  Session run;
  ASSERT_TRUE(run.opened);
  run.database->SetSourceDescription(Text("second"));
  run.database->SetServicesFile(Text("/nonexistent"));
  run.AddService("one", "renamed one");
  run.AddService("three", "three");
  ComPtr<IScheduleEntry> entry;
  run.entries->Add(Text("one::10"), entry.Out());
  entry->SetProgram(run.NewProgram("Replacement").Get());
  run.entries->Reconcile(entry.Get());
  entry.Reset();
  run.entries->RemoveOlderThan(0);
  AddMany(run, 100);
  LONG prepared = 0;
  run.database->PrepareSave(&prepared);
  VARIANT_BOOL cleaned = 0;
  run.database->Clean(&cleaned);
  EXPECT_EQ(cleaned, VARIANT_TRUE);
  ComPtr<IScheduleEntries> entries = run.entries;  // still held after Close, as the import does
  ComPtr<IService> service = run.AddService("late", "Late");
  run.Close();
  ComPtr<IScheduleEntry> found;
  EXPECT_EQ(entries->Find(Text("one::10"), found.Out()), S_FALSE);
  service->SetName(Text("changed after Close"));
  service.Reset();
  EXPECT_EQ(Dump(), before);
}

TEST_F(TransactionTest, KilledImportLeavesTheDatabaseAsBefore) {
  StoreGuide();
  std::string before = Dump();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    Session run;
    if (!run.opened)
      _exit(2);
    AddMany(run, 1000000, fds[1], 20000);
    _exit(1);
  }
  close(fds[1]);
  char signal = 0;
  ASSERT_EQ(read(fds[0], &signal, 1), 1);
  close(fds[0]);
  // The transaction has spilled pages into the log by now; the kill lands while it grows.
  EXPECT_GT(std::filesystem::file_size(dbPath_ + "-wal"), 1u << 20);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(IntegrityCheck(), "ok");
  EXPECT_EQ(Dump(), before);

  Session run;  // and the next import goes on from there
  ASSERT_TRUE(run.opened);
  run.AddService("after", "After");
  EXPECT_EQ(run.Save(), S_OK);
  run.Close();
  EXPECT_EQ(Scalar("SELECT count(*) FROM services"), "3");
}

TEST_F(TransactionTest, FailedCommitIsReportedAndStoresNothing) {
  StoreGuide();
  std::string before = Dump();
  rlim_t limit = std::filesystem::file_size(dbPath_) + (64 << 10);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The file system is full for this process: no file may grow beyond the limit.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    Session run;
    if (!run.opened)
      _exit(2);
    AddMany(run, 20000);
    _exit(FAILED(run.Save()) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: Save reported success, 2: Open failed";
  EXPECT_EQ(IntegrityCheck(), "ok");
  EXPECT_EQ(Dump(), before);
}

TEST_F(TransactionTest, SecondImportWaitsThenFailsWhileTheFirstHoldsTheDatabase) {
  StoreGuide();
  std::string before = Dump();
  Session first;
  ASSERT_TRUE(first.opened);
  AddMany(first, 5000);
  EXPECT_EQ(Dump(), before);  // a reader sees the old data meanwhile

  auto started = std::chrono::steady_clock::now();
  Session second;
  auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_FALSE(second.opened);
  EXPECT_GE(waited, std::chrono::seconds(9));
  second.Close();

  EXPECT_EQ(first.Save(), S_OK);
  first.Close();
  Session third;
  EXPECT_TRUE(third.opened);
  third.Close();
  EXPECT_EQ(Scalar("SELECT count(*) FROM schedule_entries"), "5004");
}

}  // namespace
}  // namespace epgdb_test
