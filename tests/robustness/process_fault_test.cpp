// Faults only a real process shows: a file size limit reached while saving, a kill at any moment,
// several processes on one database, a log file and a channels.txt that cannot be written. What
// was saved before is never lost, nor seen half saved.
#include <sqlite3.h>

#include <chrono>
#include <future>
#include <set>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using namespace std::chrono_literals;
using testing_support::RunResult;
constexpr size_t npos = std::string::npos;

using ProcessFaultTest = RobustnessTest;

// The new listings (40 programmes of 50 KB) fit in the page cache, so nothing is written before
// the commit, which then meets the limit: like a disk that fills up during Save.
TEST_F(ProcessFaultTest, FileSizeLimitDuringSaveKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string file = Write("fat.xml", GeneratedListings("fat", 1, 40, 50000));
  // An ignored signal stays ignored across exec: the write fails with EFBIG instead.
  RunResult run = Start("/bin/bash", {"-c", "trap '' XFSZ; ulimit -f 512; exec \"$@\"", "-",
                                      program, "/Logging:101", file});
  EXPECT_EQ(run.exitCode, -1) << run.err;
  EXPECT_TRUE(LogShows(" USERALERT: Unrecoverable internal error: Cannot save EPG database.\r\n"))
      << LogText();
  EXPECT_TRUE(IntegrityOk());
  EXPECT_EQ(Guide(), before);
  EXPECT_EQ(Run({file}).exitCode, 0);  // without the limit the same file is saved
  EXPECT_EQ(Count("schedule_entries"), 42);
}

// Kills at ten moments spread over a large import; each leaves the guide of the import before,
// or, if the kill came after the commit, the guide of a whole import.
TEST_F(ProcessFaultTest, KillAtAnyMomentKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string file = Write("large.xml", GeneratedListings("kill", 20, kSanitized ? 250 : 1000));
  std::string reference = dir / "reference.sqlite";
  std::filesystem::copy_file(database, reference);
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({file}, {{"GLIMMERBOX_EPG_DB", reference}}).exitCode, 0);
  std::chrono::duration<double> duration = std::chrono::steady_clock::now() - started;
  std::vector<std::string> after = Guide(reference);
  int killed = 0;
  for (int i = 1; i <= 10; ++i) {
    // Spread over the first two thirds of a run: a loaded machine may run it faster than the
    // reference did, and a kill after the end proves nothing.
    std::string delay = std::to_string((duration * i * 2 / 33).count());
    killed += Start("/usr/bin/timeout", {"-s", "KILL", delay, program, file}).exitCode != 0;
    EXPECT_TRUE(IntegrityOk());
    std::vector<std::string> guide = Guide();
    EXPECT_TRUE(guide == before || guide == after) << "kill " << i << ": " << guide.size();
  }
  EXPECT_GE(killed, 6);
}

// While a writer holds the database for longer than the busy timeout, the import fails in Open
// and changes nothing.
TEST_F(ProcessFaultTest, ImportGivesUpOnAHeldDatabase) {
  std::vector<std::string> before = ImportEarlierGuide();
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(database.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(Run({"/Logging:301", Write("new.xml", GeneratedListings("new", 1, 1))}).exitCode, -1);
  EXPECT_TRUE(LogShows(" USERALERT: Unrecoverable internal error: Cannot open EPG database.\r\n"))
      << LogText();
  sqlite3_close(writer);
  EXPECT_EQ(Guide(), before);
}

// The second of two imports at once waits for the first one's commit (or gives up after 10 s with
// -1); no entry of either file is lost or doubled. A reader polling meanwhile sees the guide from
// before or after a whole import, never a state in between (the two counts of one statement come
// from one state of the database).
TEST_F(ProcessFaultTest, TwoImportsAtOnce) {
  ImportEarlierGuide();
  const long entries = 10 * (kSanitized ? 200 : 1000);
  std::vector<std::future<RunResult>> runs;
  for (const std::string prefix : {"first", "second"}) {
    std::string file = Write(prefix + ".xml", GeneratedListings(prefix, 10, entries / 10));
    runs.push_back(std::async(std::launch::async, [this, file] { return Run({file}); }));
  }
  std::set<std::string> seen;
  while (runs.back().wait_for(0s) != std::future_status::ready)
    seen.insert(
        Value("SELECT (SELECT count(*) FROM schedule_entries) || '|' || "
              "(SELECT count(*) FROM services)"));
  long succeeded = 0;
  for (std::future<RunResult>& run : runs) {
    RunResult result = run.get();
    succeeded += result.exitCode == 0;
    EXPECT_TRUE(result.exitCode == 0 ||
                (result.exitCode == -1 && result.err.find("Cannot open EPG database.") != npos))
        << result.exitCode << result.err;
  }
  EXPECT_GE(succeeded, 1);
  std::string stored = std::to_string(2 + succeeded * entries);
  EXPECT_EQ(Value("SELECT count(*) || '|' || count(DISTINCT slot_key) FROM schedule_entries"),
            stored + "|" + stored);
  EXPECT_TRUE(IntegrityOk());
  EXPECT_EQ(seen.erase("2|1"), 1u) << "the reader came too late";
  for (long whole : {1l, 2l})
    seen.erase(std::to_string(2 + whole * entries) + "|" + std::to_string(1 + whole * 10));
  EXPECT_EQ(seen, std::set<std::string>{});
}

// Closing any descriptor of a file drops every lock the process holds on it, SQLite's own
// included, and another process could then checkpoint or reset the log under the import. So the
// database's files are opened by SQLite's one connection alone: each exactly once.
TEST_F(ProcessFaultTest, OnlyTheConnectionOpensTheDatabaseFiles) {
  std::string strace = testing_support::FindOnPath("strace");
  if (strace.empty())
    GTEST_SKIP() << "strace is needed to see which files the import opens";
  ImportEarlierGuide();
  std::string trace = dir / "opens.txt";
  RunResult run =
      Start(strace,
            {"-f", "-qq", "-o", trace, "-e", "trace=/^(open|openat|openat2|creat)$", program,
             Write("listings.xml", GeneratedListings("traced", 5, 200))},
            {{"ASAN_OPTIONS", "detect_leaks=0"}});  // LeakSanitizer cannot stop traced threads
  if (run.exitCode != 0 && run.err.starts_with("strace: "))
    GTEST_SKIP() << "strace cannot trace here: " << run.err;
  ASSERT_EQ(run.exitCode, 0);
  std::string opens = testing_support::ReadFile(trace);
  for (std::string name : {database, database + "-wal", database + "-shm"})
    EXPECT_EQ(testing_support::CountOf(opens, '"' + name + '"'), 1u) << name << "\n" << opens;
}

// Both files are written through a path that names a folder: the run goes on without them.
TEST_F(ProcessFaultTest, UnwritableLogAndChannelsFileDoNotStopTheImport) {
  std::filesystem::create_directory(program + ".log");
  std::filesystem::create_directory(work + "/channels.txt");
  std::string file = Write("listings.xml", GeneratedListings("c", 2, 1));
  EXPECT_EQ(Run({"/Logging:101", file}).exitCode, 0);
  EXPECT_EQ(Value("SELECT group_concat(channel_id) || '|' || count(*) FROM services"), "c0,c1|2");
  EXPECT_EQ(Run({"/Logging:101", "/x", file}).exitCode, 0);
}

}  // namespace
}  // namespace robustness
