// A run cancelled with SIGTERM under the none backend. The listings come through a FIFO, so the
// test decides when each line arrives and when the signal is sent, and a run that waits for more
// input fails the test instead of blocking it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "tests/support/program_fixture.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// One programme line on channel c1, from hour to the next hour (hour below 9).
std::string Programme(int hour, const std::string& title) {
  return "<programme start=\"209901010" + std::to_string(hour) + "0000\" stop=\"209901010" +
         std::to_string(hour + 1) + "0000\" channel=\"c1\"><title>" + title +
         "</title></programme>\n";
}

TEST_F(ProgramTest, SigtermSavesWhatCameBeforeAndEndsWithoutWaitingForTheFeed) {
  std::string fifo = dir / "listings.xml";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Held open for reading and writing: what is written waits in the pipe until the program
  // reads it, and the program never sees the end of the feed until the test closes it.
  int feed = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(feed, 0);
  auto write_ = [feed](const std::string& text) {
    EXPECT_EQ(write(feed, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  };
  write_("<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"c1\"/>\n" + Programme(1, "First") +
         Programme(2, "Second") + Programme(3, "Third"));

  std::atomic<bool> ended = false;
  testing_support::RunResult result;
  std::thread run([&] {
    result = Run({"/Logging:101", fifo});
    ended = true;
  });
  bool shown = WaitFor([&] { return LogShows("CProgressDialog::AddString: Third\r\n"); }, 30s);
  // The process id the log header names.
  const std::string label = "Process ID:           0x";
  std::string log = LogText();
  size_t at = log.find(label);
  pid_t pid =
      at == std::string::npos ? 0 : std::stoi(log.substr(at + label.size(), 16), nullptr, 16);
  if (shown && pid > 0)
    kill(pid, SIGTERM);
  write_(Programme(4, "Fourth"));
  bool endedByItself = WaitFor([&] { return ended.load(); }, 30s);
  // Whatever happened, end the run before the test goes on: the end of the feed, then a kill.
  close(feed);
  if (!WaitFor([&] { return ended.load(); }, 5s) && pid > 0)
    kill(pid, SIGKILL);
  run.join();

  ASSERT_TRUE(shown) << LogText();
  EXPECT_TRUE(endedByItself) << "the cancelled run waited for more of the feed";
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(LogShows("CProgressDialog::OnCancel - User cancelled further processing"));
  std::vector<std::string> titles = Rows(
      "SELECT p.title FROM schedule_entries e JOIN programs p ON p.id = e.program_id "
      "ORDER BY e.start_time LIMIT 3");
  EXPECT_EQ(titles, (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(Value("SELECT channel_id FROM services"), "c1");
}

}  // namespace
