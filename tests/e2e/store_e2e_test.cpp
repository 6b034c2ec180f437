// The guide on a PostgreSQL server: the same runs leave the same guide in a SQLite file and on the
// server, and what only a server can do wrong (down, a wrong password, no rights, a second
// importer) fails the run with a clear line in the log, changes nothing and never shows a
// password or the connection string.
#include "tests/support/pg_server.h"
#include "tests/support/program_fixture.h"

namespace {

using testing_support::PgServer;

constexpr char kProgrammes[] = RUZOZAZE_SOURCE_DIR "/tests/e2e/programmes.xml";
constexpr char kPassword[] = "Sesame-42";

// Programme n on channel c from hour n of 1 January 2099 to the next.
std::string Programme(const std::string& channel, int n, const std::string& title) {
  char times[64];
  snprintf(times, sizeof times, "start=\"209901%02d%02d0000\" stop=\"209901%02d%02d0000\"",
           1 + n / 24, n % 24, 1 + (n + 1) / 24, (n + 1) % 24);
  return std::string("<programme ") + times + " channel=\"" + channel + "\"><title>" + title +
         "</title></programme>\n";
}

class StoreTest : public ProgramTest {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_POSTGRES();
    server = PgServer::NewDatabase();
  }
  // Runs the program on the SQLite file and on the server: both give the same exit code and
  // leave the same guide. Returns the server's run.
  testing_support::RunResult Both(const std::vector<std::string>& args) {
    SCOPED_TRACE(testing::PrintToString(args));
    int local = Run(args, {{"TZ", "UTC0"}}).exitCode;
    testing_support::RunResult r = Run(args, {{"TZ", "UTC0"}, {"GLIMMERBOX_EPG_DB", server}});
    EXPECT_EQ(r.exitCode, local) << LogText();
    if (std::filesystem::exists(database)) {
      EXPECT_EQ(testing_support::DumpGuide(server, args.back()), DumpGuide(args.back()));
    }
    return r;
  }
  std::vector<std::string> DumpGuide(const std::string& file) const {
    return testing_support::DumpGuide(database, file);
  }
  // Runs the program on the server as `uri` says, and checks that it fails with `line` in the log,
  // without the password or the URI, and that the guide on the server stays as it was.
  void Refused(const std::string& uri, const std::string& line) {
    SCOPED_TRACE(line);
    std::vector<std::string> before = testing_support::DumpGuide(server);
    EXPECT_EQ(Run({"/Logging:301", "two.xml"}, {{"GLIMMERBOX_EPG_DB", uri}}).exitCode, -1);
    EXPECT_TRUE(LogShows(line)) << LogText();
    EXPECT_TRUE(LogShows("Unrecoverable internal error: Cannot open EPG database."));
    EXPECT_FALSE(LogShows(kPassword) || LogShows("Wrong-7") || LogShows(uri)) << LogText();
    EXPECT_EQ(testing_support::DumpGuide(server), before);
  }

  std::string server;
};

TEST_F(StoreTest, BothStoresKeepTheSameGuide) {
  Write("two.xml", "<tv><channel id=\"c1\"><display-name>One</display-name></channel>" +
                       Programme("c1", 1, "A") + Programme("c2", 2, "B") + "</tv>");
  Write("later.xml", "<tv>" + Programme("c1", 1, "A2") + Programme("c1", 3, "C") + "</tv>");
  Write("broken.xml", "<tv>" + Programme("c1", 5, "D") + "<programme>");
  Write("list.txt", "c2\nc1\n");
  Both({"/Logging:101", kProgrammes});
  Both({"/Logging:101", kProgrammes});
  Both({"/c:7", "/o:90", "two.xml"});
  Both({"/s:list.txt", "later.xml"});
  Both({"broken.xml"});
  Both({"/c", "broken.xml"});
  Both({"/c", kProgrammes});
  for (const std::string& file : testing_support::SampleFiles()) {
    Both({"/c", file});
    Both({file});
  }
}

TEST_F(StoreTest, AServerThatRefusesFailsTheRunAndChangesNothing) {
  Write("two.xml", "<tv><channel id=\"c1\"/>" + Programme("c1", 1, "A") + "</tv>");
  ASSERT_EQ(Run({"two.xml"}, {{"GLIMMERBOX_EPG_DB", server}}).exitCode, 0);
  std::string own = PgServer::NewDatabase("importer", kPassword);
  Refused(PgServer::Uri("postgres", "importer", "Wrong-7"), "password authentication failed");
  Refused("postgresql://importer:" + std::string(kPassword) + "@/guide?host=/no/such/folder",
          "Cannot connect to the EPG database server: ");
  Refused(server.substr(0, server.find("postgres@")) + "importer:" + kPassword +
              server.substr(server.find('@')),
          "permission denied");
  // The right password on a database of its own: the guide is created, the password not shown.
  EXPECT_EQ(Run({"/Logging:101", "two.xml"}, {{"GLIMMERBOX_EPG_DB", own}}).exitCode, 0);
  EXPECT_FALSE(LogShows(kPassword)) << LogText();
  EXPECT_EQ(testing_support::DumpGuide(own), testing_support::DumpGuide(server));
}

// The first import holds the guide while it waits for the rest of its feed; the second waits for
// it 10 s, then fails and changes nothing; the first then saves.
TEST_F(StoreTest, ASecondImportWaitsForTheFirstThenFailsAndChangesNothing) {
  Write("two.xml", "<tv><channel id=\"c1\"/>" + Programme("c1", 1, "Second") + "</tv>");
  testing_support::TempDir other;
  std::string second = testing_support::CopyProgram(other);
  constexpr char kScript[] = R"sh(mkfifo feed && exec 3<>feed
echo "<tv><channel id='c1'/>$FIRST" >&3
"$RUZOZAZE" /Logging:101 feed 3>&- & pid=$!
for i in $(seq 300); do grep -q 'AddString: First' "$RUZOZAZE.log" && break; sleep 0.1; done
start=$(date +%s)
"$SECOND" /Logging:301 two.xml 3>&-; echo "second $? after $(($(date +%s) - start)) s"
echo '</tv>' >&3 && exec 3>&-
wait $pid; echo "first $?")sh";
  testing_support::RunResult r = Start(
      "/bin/bash", {"-c", kScript},
      {{"GLIMMERBOX_EPG_DB", server}, {"SECOND", second}, {"FIRST", Programme("c1", 1, "First")}});
  EXPECT_TRUE(r.out.starts_with("second 255 after 1")) << r.out << r.err;
  EXPECT_TRUE(r.out.ends_with("first 0\n")) << r.out;
  EXPECT_NE(testing_support::ReadFile(second + ".log").find("Another import is writing"),
            std::string::npos);
  EXPECT_EQ(PgServer::QueryRows(server, "SELECT title FROM programs"),
            std::vector<std::string>{"First"});
  EXPECT_EQ(Run({"two.xml"}, {{"GLIMMERBOX_EPG_DB", server}}).exitCode, 0);
}

// 200 programmes on one channel, one a line, titled `title` and their number.
std::string Listing(const std::string& title) {
  std::string xml = "<tv><channel id=\"c1\"/>\n";
  for (int n = 0; n < 200; ++n)
    xml += Programme("c1", n, title + std::to_string(n));
  return xml + "</tv>\n";
}

// True when `text` is `line` once or more, and nothing else.
bool Repeats(const std::string& text, const std::string& line) {
  for (size_t at = 0; at < text.size(); at += line.size()) {
    if (text.compare(at, line.size(), line) != 0)
      return false;
  }
  return !text.empty();
}

// Three readers poll the guide while imports are killed at start, while they write, and with the
// whole file written but not ended, then while one saves: each reader sees the old guide, then
// the new one, never a part of either; no killed import holds the guide.
TEST_F(StoreTest, ReadersSeeOnlyWholeImportsAndAKilledImportChangesNothing) {
  Write("old.xml", Listing("Old"));
  Write("new.xml", Listing("New"));
  ASSERT_EQ(Run({"old.xml"}, {{"GLIMMERBOX_EPG_DB", server}}).exitCode, 0);
  constexpr char kScript[] = R"sh(poll() {
  until [ -e stop ]; do psql "$GLIMMERBOX_EPG_DB" -tAc "SELECT count(*) FILTER (WHERE title LIKE
    'Old%') || '|' || count(*) FILTER (WHERE title LIKE 'New%') || '|' || (SELECT count(*) FROM
    glimmerbox.schedule_entries) FROM glimmerbox.programs" >> seen$1 || echo failed >> seen$1; done
}
feed() {
  n=0; while IFS= read -r line; do
    [ "$line" = '</tv>' ] && sleep 3; echo "$line"; ((++n % 25)) || sleep 0.1
  done < new.xml
}
for r in 1 2 3; do poll $r & done
for moment in 0.05 0.4 2; do
  "$RUZOZAZE" <(feed) & pid=$!; sleep $moment; kill -KILL $pid; wait $pid; echo "killed $?"
done
"$RUZOZAZE" <(feed); echo "saved $?"; sleep 0.5; touch stop; wait)sh";
  testing_support::RunResult r =
      Start("/bin/bash", {"-c", kScript}, {{"GLIMMERBOX_EPG_DB", server}});
  EXPECT_EQ(r.out, "killed 137\nkilled 137\nkilled 137\nsaved 0\n") << r.err;
  for (const char* reader : {"seen1", "seen2", "seen3"}) {
    // The old guide one or more times, then the new one one or more times, and nothing else.
    std::string seen = testing_support::ReadFile(work + "/" + reader);
    size_t switched = seen.find("0|200|200\n");
    std::string before = seen.substr(0, switched),
                after = seen.substr(std::min(switched, seen.size()));
    EXPECT_TRUE(Repeats(before, "200|0|200\n") && Repeats(after, "0|200|200\n")) << reader << ":\n"
                                                                                 << seen;
  }
}

}  // namespace
