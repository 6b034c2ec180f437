// A run cancelled with SIGTERM under the none backend. The listings come through a FIFO that the
// script holds open, so it decides when each line arrives and when the signal is sent, and a run
// that waits for more input fails the test instead of blocking it.
#include "tests/support/pg_server.h"
#include "tests/support/program_fixture.h"

namespace {

// Programme n runs on channel c1 from hour n to the next. The script waits up to 30 s for the run
// to show P3, sends SIGTERM, then P4; the run must end by itself within 30 s, else the end of the
// feed and a kill end it.
constexpr char kScript[] = R"(mkfifo feed && exec 3<>feed
p() { printf '<programme start="209901010%d0000" stop="209901010%d0000" channel="c1"><title>P%d</title></programme>\n' $1 $(($1 + 1)) $1; }
{ echo '<?xml version="1.0"?><tv><channel id="c1"/>'; p 1; p 2; p 3; } >&3
"$RUZOZAZE" /Logging:101 feed & pid=$!
for i in $(seq 300); do grep -q 'AddString: P3' "$RUZOZAZE.log" && break; sleep 0.1; done
kill -TERM $pid
p 4 >&3
for i in $(seq 300); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
if kill -0 $pid 2> /dev/null; then echo "the cancelled run waited for more of the feed"; fi
exec 3>&-
sleep 1 && kill -KILL $pid 2> /dev/null
wait $pid
echo "exit $?")";

// On the SQLite file, and on a PostgreSQL server.
class CancelTest : public ProgramTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (!GetParam())
      return;
    SKIP_WITHOUT_POSTGRES();
    database = testing_support::PgServer::NewDatabase();
  }
};

TEST_P(CancelTest, SigtermSavesWhatCameBeforeAndEndsWithoutWaitingForTheFeed) {
  testing_support::RunResult r = Start("/bin/bash", {"-c", kScript});
  ASSERT_TRUE(LogShows("CProgressDialog::AddString: P3\r\n")) << LogText();
  EXPECT_EQ(r.out, "exit 0\n") << r.err;
  EXPECT_TRUE(LogShows("CProgressDialog::OnCancel - User cancelled further processing"));
  EXPECT_EQ(Rows("SELECT s.channel_id, p.title FROM schedule_entries e JOIN programs p ON p.id = "
                 "e.program_id JOIN services s ON s.id = e.service_id ORDER BY e.start_time "
                 "LIMIT 3"),
            (std::vector<std::string>{"c1|P1", "c1|P2", "c1|P3"}));
}

INSTANTIATE_TEST_SUITE_P(Stores, CancelTest, ::testing::Bool(),
                         [](const auto& store) { return store.param ? "PostgreSQL" : "SQLite"; });

}  // namespace
