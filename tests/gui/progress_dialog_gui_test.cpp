// The progress dialog on the desktop, during the import of a generated file of 100,000
// programmes (97,600 schedule entries: every 40th slot is a clump of two). The file comes through
// a FIFO at a bounded rate, so that the import is still running when the test clicks, however
// fast the build is.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "tests/gui/gui_fixture.h"

namespace {

constexpr char kCaption[] = "^Importing XMLTV Data$";
constexpr long kAllEntries = 97600;
// The Cancel button's centre in the template, as fractions of the dialog's size.
constexpr double kCancelX = (90 + 25) / 231.0;
constexpr double kCancelY = (37 + 7) / 58.0;

// Writes a file into a FIFO, 64 KiB at a time with a pause after each, until it is told to
// hurry (no more pauses) or to stop (a cancelled import reads no more of it).
class TrickleFeed {
 public:
  TrickleFeed(const std::string& source, const std::string& fifo)
      : fd_(open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)),
        thread_([this, source] { Run(source); }) {}
  ~TrickleFeed() { Stop(); }
  void Hurry() { hurry_ = true; }
  void Stop() {
    stop_ = true;
    if (thread_.joinable())
      thread_.join();
  }

 private:
  void Run(const std::string& source) {
    std::ifstream in(source, std::ios::binary);
    std::vector<char> chunk(64 * 1024);
    while (fd_ >= 0 && !stop_ && in.read(chunk.data(), chunk.size()).gcount() > 0) {
      if (!WriteAll(chunk.data(), static_cast<size_t>(in.gcount())))
        break;
      if (!hurry_)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fd_ >= 0)
      close(fd_);
  }
  bool WriteAll(const char* data, size_t size) {
    while (size > 0 && !stop_) {
      pollfd writable = {fd_, POLLOUT, 0};
      if (poll(&writable, 1, 100) <= 0)
        continue;
      ssize_t n = write(fd_, data, size);
      if (n < 0 && errno != EAGAIN)
        return false;
      if (n > 0) {
        data += n;
        size -= static_cast<size_t>(n);
      }
    }
    return size == 0;
  }

  int fd_;
  std::atomic<bool> hurry_ = false;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

class ProgressDialogGuiTest : public GuiTest {
 protected:
  // Starts the import; returns the dialog's window once programmes are being stored.
  std::string StartImport() {
    std::string fifo = dir / "listings.xml";
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    feed = std::make_unique<TrickleFeed>(GUI_LISTINGS, fifo);
    Start({fifo});
    std::string dialog = desktop->WaitForWindow(kCaption, kAppear);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return dialog;
  }
  // The confirmation box that a Cancel opens: it has the dialog's caption.
  std::string Confirmation(const std::string& dialog) {
    return desktop->WaitForWindow(kCaption, kAppear, dialog);
  }
  // Answers Yes in the confirmation box: the dialog goes, the run ends and what it stored holds.
  void AnswerYesAndExpectPartialGuide(const std::string& dialog) {
    std::string box = Confirmation(dialog);
    ASSERT_NE(box, "") << Ended();
    desktop->Key(box, "alt+y");
    EXPECT_TRUE(desktop->WaitUntilHidden(dialog, 2));
    testing_support::RunResult run = Finish(60);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ExpectPartialConsistentGuide();
  }
  void ExpectPartialConsistentGuide() {
    EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries e"
                    " LEFT JOIN programs p ON p.id = e.program_id"
                    " LEFT JOIN services s ON s.id = e.service_id"
                    " WHERE p.id IS NULL OR s.id IS NULL"),
              "0");
    long entries = Count("schedule_entries");
    EXPECT_GT(entries, 0);
    EXPECT_LT(entries, kAllEntries);
  }

  std::unique_ptr<TrickleFeed> feed;
};

TEST_F(ProgressDialogGuiTest, CancelThenNoLetsTheImportFinish) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Click(dialog, kCancelX, kCancelY);
  std::string box = Confirmation(dialog);
  ASSERT_NE(box, "") << Ended();
  desktop->Key(box, "Return");  // No is the default button
  EXPECT_TRUE(desktop->WaitUntilHidden(box, 10));
  EXPECT_EQ(desktop->Windows(kCaption), std::vector<std::string>{dialog});
  feed->Hurry();
  testing_support::RunResult run = Finish(240);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Count("schedule_entries"), kAllEntries);
}

TEST_F(ProgressDialogGuiTest, CancelThenYesHidesTheDialogAndSavesWhatWasImported) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Click(dialog, kCancelX, kCancelY);
  AnswerYesAndExpectPartialGuide(dialog);
}

TEST_F(ProgressDialogGuiTest, TheCloseBoxAsksLikeCancel) {
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  desktop->Close(dialog);
  AnswerYesAndExpectPartialGuide(dialog);
}

// The X server going away during an import fails the run, which ends at once as after a kill:
// the guide stays as it was before the run.
TEST_F(ProgressDialogGuiTest, ALostDisplayFailsTheRunAndKeepsTheGuide) {
  Start({Sample("ektotv_example.xml")}, {{"RUZOZAZE_UI", "none"}});
  ASSERT_EQ(Finish(30).exitCode, 0);
  std::string before = Value("SELECT group_concat(slot_key) FROM schedule_entries");
  std::string dialog = StartImport();
  ASSERT_NE(dialog, "") << Ended();
  display.reset();
  testing_support::RunResult run = Finish(30);
  EXPECT_EQ(run.exitCode, -1) << run.err;
  EXPECT_NE(run.err.find("The connection to the display was lost"), std::string::npos) << run.err;
  EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Value("SELECT group_concat(slot_key) FROM schedule_entries"), before);
}

}  // namespace
