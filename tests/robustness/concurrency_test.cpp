// One database used by several processes at once: two imports, an import and a reader, an
// import and a writer that holds the database, and the locks that keep them apart.
#include <sqlite3.h>

#include <set>
#include <utility>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::CountOf;
using testing_support::FindOnPath;
using testing_support::ReadFile;

// A connection of the test's own, waiting up to 5 s for a lock like a patient reader would.
class Connection {
 public:
  explicit Connection(const std::string& path, int flags = SQLITE_OPEN_READONLY) {
    if (sqlite3_open_v2(path.c_str(), &m_pDb, flags, nullptr) != SQLITE_OK)
      ADD_FAILURE() << "cannot open " << path;
    sqlite3_busy_timeout(m_pDb, 5000);
  }
  ~Connection() { sqlite3_close(m_pDb); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Exec(const char* sql) {
    return sqlite3_exec(m_pDb, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  // The two numbers of a query's single row, read in one statement and so from one state of the
  // database; {-1, -1} when the query fails.
  std::pair<long, long> Pair(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::pair<long, long> pair{-1, -1};
    if (sqlite3_prepare_v2(m_pDb, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      pair = {sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1)};
    }
    sqlite3_finalize(statement);
    return pair;
  }

 private:
  sqlite3* m_pDb = nullptr;
};

constexpr char kCounts[] =
    "SELECT (SELECT count(*) FROM schedule_entries), (SELECT count(*) FROM services)";

class ConcurrencyTest : public RobustnessTest {
 protected:
  // The entries stored for the channels whose ids start with `prefix`, and how many distinct
  // slots they hold.
  std::pair<long, long> EntriesOf(const std::string& prefix) const {
    std::string counts = Value(
        "SELECT count(*) || '|' || count(DISTINCT e.slot_key) FROM schedule_entries e "
        "JOIN services s ON s.id = e.service_id WHERE s.channel_id LIKE '" +
        prefix + "%'");
    size_t bar = counts.find('|');
    return {std::stol(counts.substr(0, bar)), std::stol(counts.substr(bar + 1))};
  }
};

// The second import waits for the first one's commit (or gives up after 10 s with code 7); no
// entry of either file is lost or doubled.
TEST_F(ConcurrencyTest, TwoImportsAtOnce) {
  const int perChannel = kSanitized ? 200 : 1000;
  std::vector<std::string> prefixes{"first", "second"};
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const std::string& prefix : prefixes) {
    ChildOptions options =
        Background({WriteWorkFile(prefix + ".xml", GeneratedListings(prefix, 10, perChannel))});
    options.errFile = work + "/" + prefix + ".err";
    children.push_back(std::make_unique<ChildProcess>(options));
  }
  int succeeded = 0;
  for (size_t i = 0; i < prefixes.size(); ++i) {
    SCOPED_TRACE(prefixes[i]);
    int exitCode = children[i]->Wait();
    std::string err = ReadFile(work + "/" + prefixes[i] + ".err");
    if (exitCode == 0) {
      ++succeeded;
      EXPECT_EQ(EntriesOf(prefixes[i]), std::make_pair(10L * perChannel, 10L * perChannel));
    } else {
      EXPECT_EQ(exitCode, -1);
      EXPECT_NE(err.find("Unrecoverable internal error: Cannot open EPG database."),
                std::string::npos)
          << err;
      EXPECT_EQ(EntriesOf(prefixes[i]), std::make_pair(0L, 0L));
    }
  }
  EXPECT_GE(succeeded, 1);
  EXPECT_EQ(Count("schedule_entries"), succeeded * 10L * perChannel);
  EXPECT_TRUE(IntegrityOk());
}

// While a writer holds the database for longer than the busy timeout, the import fails in Open
// and changes nothing.
TEST_F(ConcurrencyTest, ImportGivesUpOnAHeldDatabase) {
  std::vector<std::string> before = ImportEarlierGuide();
  Connection writer(database, SQLITE_OPEN_READWRITE);
  ASSERT_TRUE(writer.Exec("BEGIN IMMEDIATE"));
  auto r = Run({"/Logging:301", Sample("ektotv_example.xml")});
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_TRUE(LogHas(" USERALERT: Unrecoverable internal error: Cannot open EPG database.\r\n"))
      << LogText();
  EXPECT_TRUE(writer.Exec("ROLLBACK"));
  EXPECT_EQ(Guide(), before);
}

// A reader polling during a large import sees the guide from before or the saved one, never a
// state in between.
TEST_F(ConcurrencyTest, ReaderSeesOnlyWholeImports) {
  ImportEarlierGuide();
  std::string file =
      WriteWorkFile("large.xml", GeneratedListings("read", 10, kSanitized ? 500 : 2000));
  Connection reader(database);
  std::pair<long, long> before = reader.Pair(kCounts);
  ASSERT_EQ(before, std::make_pair(2L, 1L));
  std::set<std::pair<long, long>> seen;
  int polls = 0;
  ChildProcess child(Background({file}));
  while (child.Running()) {
    seen.insert(reader.Pair(kCounts));
    ++polls;
  }
  ASSERT_EQ(child.Wait(), 0);
  std::pair<long, long> after = reader.Pair(kCounts);
  EXPECT_EQ(after, std::make_pair(2L + 10L * (kSanitized ? 500 : 2000), 11L));
  seen.erase(before);
  seen.erase(after);
  EXPECT_EQ(seen, (std::set<std::pair<long, long>>{}));
  EXPECT_GT(polls, 10);
}

// Closing any descriptor of a file drops every lock the process holds on it, SQLite's own
// included, and another process could then checkpoint or reset the log under the import. So the
// database's files are opened by SQLite's one connection alone: each exactly once.
TEST_F(ConcurrencyTest, OnlyTheConnectionOpensTheDatabaseFiles) {
  std::string strace = FindOnPath("strace");
  if (strace.empty())
    GTEST_SKIP() << "strace is needed to see which files the import opens";
  ImportEarlierGuide();
  std::string trace = dir / "opens.txt";
  ChildOptions options =
      Background({"-f", "-qq", "-o", trace, "-e", "trace=/^(open|openat|openat2|creat)$", program,
                  WriteWorkFile("listings.xml", GeneratedListings("traced", 5, 200))});
  options.program = strace;
  options.errFile = dir / "strace.err";
  // LeakSanitizer cannot stop the threads of a traced process.
  options.env["ASAN_OPTIONS"] = "detect_leaks=0";
  ChildProcess child(options);
  int exitCode = child.Wait();
  std::string err = ReadFile(options.errFile);
  if (exitCode != 0 && err.starts_with("strace: "))
    GTEST_SKIP() << "strace cannot trace here: " << err;
  ASSERT_EQ(exitCode, 0);
  std::string opens = ReadFile(trace);
  std::vector<size_t> counts;
  for (std::string name : {database, database + "-wal", database + "-shm"})
    counts.push_back(CountOf(opens, '"' + name + '"'));
  EXPECT_EQ(counts, (std::vector<size_t>{1, 1, 1})) << opens;
  EXPECT_EQ(Count("schedule_entries"), 2 + 5 * 200);
}

}  // namespace
}  // namespace robustness
