// A run cancelled with SIGTERM under the none backend. The listings come through a FIFO, so the
// test decides when each line arrives and when the signal is sent, and a run that waits for more
// input fails the test instead of blocking it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/program_fixture.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::seconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return condition();
}

TEST_F(ProgramTest, SigtermSavesWhatCameBeforeAndEndsWithoutWaitingForTheFeed) {
  std::string fifo = dir / "listings.xml";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Held open for reading and writing: what is written waits in the pipe until the program
  // reads it, and the program never sees the end of the feed until the test closes it.
  int feed = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(feed, 0);
  // Programme n on channel c1, from hour n to the next.
  auto send = [feed](const std::string& head, int from, int to) {
    std::string text = head;
    for (int n = from; n <= to; ++n) {
      text += "<programme start=\"209901010" + std::to_string(n) + "0000\" stop=\"209901010" +
              std::to_string(n + 1) + "0000\" channel=\"c1\"><title>P" + std::to_string(n) +
              "</title></programme>\n";
    }
    EXPECT_EQ(write(feed, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  };
  send("<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"c1\"/>\n", 1, 3);

  std::atomic<bool> ended = false;
  testing_support::RunResult result;
  std::thread run([&] {
    result = Run({"/Logging:101", fifo});
    ended = true;
  });
  bool shown = WaitFor([&] { return LogShows("CProgressDialog::AddString: P3\r\n"); },
                       std::chrono::seconds(30));
  // The process id the log header names.
  const std::string label = "Process ID:           0x";
  std::string log = LogText();
  size_t at = log.find(label);
  pid_t pid = at == std::string::npos ? 0 : std::stoi(log.substr(at + label.size(), 16), 0, 16);
  if (shown && pid > 0)
    kill(pid, SIGTERM);
  send("", 4, 4);
  bool endedByItself = WaitFor([&] { return ended.load(); }, std::chrono::seconds(30));
  // Whatever happened, end the run before the test goes on: the end of the feed, then a kill.
  close(feed);
  if (!WaitFor([&] { return ended.load(); }, std::chrono::seconds(5)) && pid > 0)
    kill(pid, SIGKILL);
  run.join();

  ASSERT_TRUE(shown) << LogText();
  EXPECT_TRUE(endedByItself) << "the cancelled run waited for more of the feed";
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(LogShows("CProgressDialog::OnCancel - User cancelled further processing"));
  EXPECT_EQ(
      Rows("SELECT s.channel_id, p.title FROM schedule_entries e JOIN programs p ON p.id = "
           "e.program_id JOIN services s ON s.id = e.service_id ORDER BY e.start_time LIMIT 3"),
      (std::vector<std::string>{"c1|P1", "c1|P2", "c1|P3"}));
}

}  // namespace
