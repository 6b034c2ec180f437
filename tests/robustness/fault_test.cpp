// Faults around a run: the file size limit reached while saving, a kill at any moment, a log
// file and a channels.txt that cannot be written. What was saved before is never lost.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

class FaultTest : public RobustnessTest {};

// The new listings (40 programmes of 50 KB) fit in the page cache, so nothing is written before
// the commit, which then meets the limit: like a disk that fills up during Save.
TEST_F(FaultTest, FileSizeLimitDuringSaveKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string text = "<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"fat\"/>\n";
  std::string description(50000, 'd');
  for (int i = 0; i < 40; ++i) {
    char times[64];
    std::snprintf(times, sizeof times, "start=\"20990201%02d%02d00\" stop=\"20990201%02d%02d59\"",
                  10 + i / 4, i % 4 * 15, 10 + i / 4, i % 4 * 15 + 14);
    text += std::string("<programme ") + times + " channel=\"fat\"><title>Fat " +
            std::to_string(i) + "</title><desc>" + description + "</desc></programme>\n";
  }
  std::string file = WriteWorkFile("fat.xml", text + "</tv>\n");
  ChildOptions options = Background({"/Logging:101", file});
  options.fileSizeLimit = 512 * 1024;
  ChildProcess child(options);
  EXPECT_EQ(child.Wait(), -1);
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
TEST_F(FaultTest, KillAtAnyMomentKeepsThePreviousImport) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string file =
      WriteWorkFile("large.xml", GeneratedListings("kill", 20, kSanitized ? 250 : 1000));
  std::string reference = dir / "reference.sqlite";
  std::filesystem::copy_file(database, reference);
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({file}, {{"GLIMMERBOX_EPG_DB", reference}}).exitCode, 0);
  auto duration = std::chrono::steady_clock::now() - started;
  std::vector<std::string> after = GuideOf(reference);
  int killed = 0;
  for (int i = 1; i <= 10; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    ChildProcess child(Background({file}));
    std::this_thread::sleep_for(duration * i / 11);
    child.Kill();
    if (child.Wait() == -100 - SIGKILL)
      ++killed;
    EXPECT_TRUE(IntegrityOk());
    std::vector<std::string> guide = Guide();
    EXPECT_TRUE(guide == before || guide == after) << guide.size() << " rows";
  }
  EXPECT_GE(killed, 8);
}

// SIGTERM without a user interface is a confirmed cancel: the run saves what it read and
// succeeds. What it saved is the first part of what a whole import stores. (Before the user
// interface is set up, SIGTERM ends the program as any other: the signal is only sent once the
// database is open.)
TEST_F(FaultTest, CancelKeepsTheProgrammesReadBeforeIt) {
  ImportEarlierGuide();
  std::string file =
      WriteWorkFile("large.xml", GeneratedListings("term", 10, kSanitized ? 250 : 1000));
  std::string earlier = dir / "earlier.sqlite", reference = dir / "reference.sqlite";
  std::filesystem::copy_file(database, earlier);
  std::filesystem::copy_file(database, reference);
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({file}, {{"GLIMMERBOX_EPG_DB", reference}}).exitCode, 0);
  auto duration = std::chrono::steady_clock::now() - started;
  const char* entries =
      "SELECT slot_key FROM schedule_entries WHERE slot_key LIKE 'term%' "
      "ORDER BY id";
  std::vector<std::string> whole = testing_support::QueryRows(reference, entries);
  int cancelled = 0;
  for (int i = 1; i <= 4; ++i) {
    SCOPED_TRACE("cancel " + std::to_string(i));
    ChildProcess child(Background({file}));
    while (child.Running() && !std::filesystem::exists(database + "-wal"))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(duration * i / 6);
    child.Signal(SIGTERM);
    int exitCode = child.Wait();
    std::vector<std::string> stored = Rows(entries);
    EXPECT_TRUE(IntegrityOk());
    // On a loaded machine the run may have saved everything and hidden its dialog before the
    // signal came: then the signal ends the process as usual, and the whole import is kept.
    if (exitCode == -100 - SIGTERM)
      EXPECT_EQ(stored, whole);
    else
      EXPECT_EQ(exitCode, 0);
    cancelled += exitCode == 0 && stored.size() < whole.size();
    ASSERT_LE(stored.size(), whole.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), whole.begin()));
    EXPECT_EQ(Count("schedule_entries") - long(stored.size()), 2);
    for (const char* suffix : {"-wal", "-shm"})
      std::filesystem::remove(database + suffix);
    std::filesystem::copy_file(earlier, database,
                               std::filesystem::copy_options::overwrite_existing);
  }
  EXPECT_GE(cancelled, 2);
}

// Both files are written through a path that names a folder: the run goes on without them.
TEST_F(FaultTest, UnwritableLogAndChannelsFileDoNotStopTheImport) {
  std::filesystem::create_directory(program + ".log");
  std::filesystem::create_directory(work + "/channels.txt");
  EXPECT_EQ(Run({"/Logging:101", Sample("ektotv_example.xml")}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT channel_id FROM services ORDER BY channel_id"),
            (std::vector<std::string>{"channel_one", "channel_two"}));
  EXPECT_EQ(Count("schedule_entries"), 1);
  EXPECT_EQ(Run({"/Logging:101", "/x", Sample("ektotv_example.xml")}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_directory(work + "/channels.txt"));
}

}  // namespace
}  // namespace robustness
