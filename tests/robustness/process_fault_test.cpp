// Faults only a real process shows: a file size limit reached while saving, a kill at any moment,
// several processes on one database, a log file and a channels.txt that cannot be written. What
// was saved before is never lost, nor seen half saved.
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using namespace std::chrono_literals;
using testing_support::CountOf;
using testing_support::ReadFile;
using testing_support::RunResult;

class ProcessFaultTest : public RobustnessTest {
 protected:
  // Imports generated listings as a reference into a copy of the database; returns how long the
  // import took.
  std::chrono::duration<double> TimeReferenceImport(const std::string& file,
                                                    const std::string& copy) {
    std::filesystem::copy_file(database, copy);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({file}, {{"GLIMMERBOX_EPG_DB", copy}}).exitCode, 0);
    return std::chrono::steady_clock::now() - started;
  }
};

// The new listings (40 programmes of 50 KB) fit in the page cache, so nothing is written before
// the commit, which then meets the limit: like a disk that fills up during Save.
TEST_F(ProcessFaultTest, FileSizeLimitDuringSaveKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string text = "<tv>\n<channel id=\"earlier\"/>\n";
  for (int i = 0; i < 40; ++i) {
    std::string day = "2099020" + std::to_string(1 + i / 10) + std::to_string(10 + i % 10);
    text += "<programme start=\"" + day + "0000\" stop=\"" + day + "5900\" channel=\"earlier\">" +
            "<title>Fat " + std::to_string(i) + "</title><desc>" + std::string(50000, 'd') +
            "</desc></programme>\n";
  }
  std::string file = Write("fat.xml", text + "</tv>\n");
  // An ignored signal stays ignored across exec: the write fails with EFBIG instead.
  RunResult run = RunUnder({"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 512; exec \"$@\"", "-"},
                           {"/Logging:101", file});
  EXPECT_EQ(run.exitCode, -1) << run.err;
  EXPECT_TRUE(LogHas(" USERALERT: Unrecoverable internal error: Cannot save EPG database.\r\n"))
      << LogText();
  EXPECT_TRUE(IntegrityOk());
  EXPECT_EQ(Guide(), before);
  // The database is as good as before: without the limit the same file is saved.
  EXPECT_EQ(Run({file}).exitCode, 0);
  EXPECT_EQ(Count("schedule_entries"), 42);
}

// Kills at ten moments spread over a large import; each leaves the guide of the import before,
// or, if the kill came after the commit, the guide of a whole import.
TEST_F(ProcessFaultTest, KillAtAnyMomentKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string file = Write("large.xml", GeneratedListings("kill", 20, kSanitized ? 250 : 1000));
  std::string reference = dir / "reference.sqlite";
  auto duration = TimeReferenceImport(file, reference);
  std::vector<std::string> after = Guide(reference);
  int killed = 0;
  for (int i = 1; i <= 10; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    // Spread over the first two thirds of a run: a loaded machine may run it faster than the
    // reference did, and a kill after the end proves nothing.
    std::string delay = std::to_string((duration * i * 2 / 33).count());
    killed += RunUnder({"/usr/bin/timeout", "-s", "KILL", delay}, {file}).exitCode != 0;
    EXPECT_TRUE(IntegrityOk());
    std::vector<std::string> guide = Guide();
    EXPECT_TRUE(guide == before || guide == after) << guide.size() << " rows";
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
  EXPECT_TRUE(LogHas(" USERALERT: Unrecoverable internal error: Cannot open EPG database.\r\n"))
      << LogText();
  sqlite3_close(writer);
  EXPECT_EQ(Guide(), before);
}

// The second import waits for the first one's commit (or gives up after 10 s with -1); no entry
// of either file is lost or doubled.
TEST_F(ProcessFaultTest, TwoImportsAtOnce) {
  const long perChannel = kSanitized ? 200 : 1000;
  std::vector<std::string> prefixes{"first", "second"};
  std::vector<std::future<RunResult>> runs;
  for (const std::string& prefix : prefixes)
    runs.push_back(Start({Write(prefix + ".xml", GeneratedListings(prefix, 10, perChannel))}));
  long succeeded = 0;
  for (size_t i = 0; i < prefixes.size(); ++i) {
    SCOPED_TRACE(prefixes[i]);
    RunResult run = runs[i].get();
    succeeded += run.exitCode == 0;
    if (run.exitCode != 0) {
      EXPECT_EQ(run.exitCode, -1);
      EXPECT_NE(run.err.find("Unrecoverable internal error: Cannot open EPG database."),
                std::string::npos)
          << run.err;
    }
    std::string stored = std::to_string(run.exitCode == 0 ? 10 * perChannel : 0);
    EXPECT_EQ(Value("SELECT count(*) || '|' || count(DISTINCT e.slot_key) FROM schedule_entries e "
                    "JOIN services s ON s.id = e.service_id WHERE s.channel_id LIKE '" +
                    prefixes[i] + "%'"),
              stored + "|" + stored);
  }
  EXPECT_GE(succeeded, 1);
  EXPECT_EQ(Count("schedule_entries"), succeeded * 10 * perChannel);
  EXPECT_TRUE(IntegrityOk());
}

// A reader polling during a large import sees the guide from before or the saved one, never a
// state in between.
TEST_F(ProcessFaultTest, ReaderSeesOnlyWholeImports) {
  ImportEarlierGuide();
  const long perChannel = kSanitized ? 500 : 2000;
  std::string file = Write("large.xml", GeneratedListings("read", 10, perChannel));
  // A connection of the test's own, waiting for locks like a patient reader; the two counts of
  // one statement come from one state of the database.
  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open_v2(database.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_busy_timeout(reader, 5000);
  auto counts = [&] {
    sqlite3_stmt* statement = nullptr;
    std::string seen = "failed";
    if (sqlite3_prepare_v2(reader,
                           "SELECT (SELECT count(*) FROM schedule_entries) || '|' || "
                           "(SELECT count(*) FROM services)",
                           -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      seen = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return seen;
  };
  std::set<std::string> seen;
  auto run = Start({file});
  int polls = 0;
  for (; run.wait_for(0s) != std::future_status::ready; ++polls)
    seen.insert(counts());
  ASSERT_EQ(run.get().exitCode, 0);
  EXPECT_EQ(counts(), std::to_string(2 + 10 * perChannel) + "|11");
  seen.erase("2|1");
  seen.erase(counts());
  sqlite3_close(reader);
  EXPECT_EQ(seen, std::set<std::string>{});
  EXPECT_GT(polls, 10);
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
  testing_support::RunOptions options =
      Options({strace, "-f", "-qq", "-o", trace, "-e", "trace=/^(open|openat|openat2|creat)$"},
              {Write("listings.xml", GeneratedListings("traced", 5, 200))});
  options.env["ASAN_OPTIONS"] = "detect_leaks=0";  // LeakSanitizer cannot stop traced threads
  RunResult run = testing_support::RunProgram(options);
  if (run.exitCode != 0 && run.err.starts_with("strace: "))
    GTEST_SKIP() << "strace cannot trace here: " << run.err;
  ASSERT_EQ(run.exitCode, 0);
  std::string opens = ReadFile(trace);
  std::vector<size_t> counts;
  for (std::string name : {database, database + "-wal", database + "-shm"})
    counts.push_back(CountOf(opens, '"' + name + '"'));
  EXPECT_EQ(counts, (std::vector<size_t>{1, 1, 1})) << opens;
  EXPECT_EQ(Count("schedule_entries"), 2 + 5 * 200);
}

// Both files are written through a path that names a folder: the run goes on without them.
TEST_F(ProcessFaultTest, UnwritableLogAndChannelsFileDoNotStopTheImport) {
  std::filesystem::create_directory(program + ".log");
  std::filesystem::create_directory(work + "/channels.txt");
  std::string file = Write("listings.xml", GeneratedListings("c", 2, 1));
  EXPECT_EQ(Run({"/Logging:101", file}).exitCode, 0);
  EXPECT_EQ(Value("SELECT group_concat(channel_id) || '|' || count(*) FROM services"), "c0,c1|2");
  EXPECT_EQ(Run({"/Logging:101", "/x", file}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_directory(work + "/channels.txt"));
}

}  // namespace
}  // namespace robustness
