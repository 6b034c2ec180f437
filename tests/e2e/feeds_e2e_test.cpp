// Listings as they arrive in practice: compressed, through a pipe, and damaged on the way.
// Whatever the form, the guide stored must be the plain file's.
#include <algorithm>

#include "tests/support/program_fixture.h"

namespace {

using testing_support::CountOf;
using testing_support::ReadFile;

// Every "NN% Completed" the log shows, in order.
std::vector<int> Percentages(const std::string& log) {
  std::vector<int> shown;
  const std::string prefix = "AddSubString: ";
  for (size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
    size_t end = log.find_first_not_of("0123456789", at + prefix.size());
    if (end > at + prefix.size() && log.compare(end, 11, "% Completed") == 0)
      shown.push_back(std::stoi(log.substr(at + prefix.size())));
  }
  return shown;
}

class FeedsTest : public ProgramTest {
 protected:
  // A listings file of about 500 kB, over three pipe buffers long.
  FeedsTest() { Shell("python3 '" RUZOZAZE_SOURCE_DIR "/bench/generate_listings.py' 5 600 l.xml"); }

  // Runs a bash command line in the working folder ($RUZOZAZE is the program) on the database
  // `db`, with a fresh log; returns its exit code.
  int Shell(const std::string& commandLine, const std::string& db = "epg.sqlite") {
    std::filesystem::remove(program + ".log");
    return Start("/bin/bash", {"-c", commandLine}, {{"GLIMMERBOX_EPG_DB", dir / db}}).exitCode;
  }
};

TEST_F(FeedsTest, CompressedPipedOrDamagedListingsGiveThePlainFilesGuide) {
  ASSERT_EQ(Shell("gzip -c l.xml > l.gz && \"$RUZOZAZE\" l.xml", "plain.sqlite"), 0);
  std::vector<std::string> plain = testing_support::DumpGuide(dir / "plain.sqlite", "l.xml");
  // What has a size shows the percentage of the file read; a pipe has none.
  const std::vector<std::tuple<std::string, std::string, bool>> feeds = {
      {"\"$RUZOZAZE\" /Logging:101 l.gz", "l.gz", true},
      {"\"$RUZOZAZE\" /Logging:101 /dev/stdin < l.xml", "/dev/stdin", true},
      {"gzip -c l.xml | \"$RUZOZAZE\" /Logging:101 /dev/stdin", "/dev/stdin", false},
  };
  for (const auto& [commandLine, fileName, sized] : feeds) {
    SCOPED_TRACE(commandLine);
    std::string db = fileName.substr(fileName.rfind('/') + 1) + (sized ? "" : ".pipe");
    ASSERT_EQ(Shell(commandLine, db), 0);
    EXPECT_EQ(testing_support::DumpGuide(dir / db, fileName), plain);
    std::vector<int> shown = Percentages(LogText());
    EXPECT_EQ(shown.size() > 10, sized);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_TRUE(!sized || (shown.front() < 10 && shown.back() == 100));
    EXPECT_TRUE(LogShows("Import summary: "));
  }

  // A damaged file fails with one error naming the line of the fault, and leaves the guide the
  // lines before it give.
  // Two gzip members that split the file between lines; the first byte of the second member's
  // data, behind its 10-byte header, then claims a block type that does not exist.
  const std::string half = std::to_string(CountOf(ReadFile(work + "/l.xml"), "\n") / 2);
  ASSERT_EQ(
      Shell("head -n " + half + " l.xml > head.xml && gzip -c head.xml > c.gz && " +
            "s=$(stat -c %s c.gz) && tail -n +$((" + half + " + 1)) l.xml | gzip >> c.gz && " +
            "printf '\\7' | dd of=c.gz bs=1 seek=$((s + 10)) conv=notrunc status=none"),
      0);
  EXPECT_EQ(Shell("\"$RUZOZAZE\" /Logging:301 c.gz"), -1);
  EXPECT_EQ(CountOf(LogText(), " ERROR: "), 1u) << LogText();
  EXPECT_TRUE(LogShows(" ERROR: Cannot read XMLTV file 'c.gz' at line " +
                       std::to_string(std::stol(half) + 1) +
                       ": gzip data is corrupt (invalid block type)\r\n"))
      << LogText();
  EXPECT_EQ(Shell("\"$RUZOZAZE\" head.xml", "head.sqlite"), -1);
  EXPECT_EQ(testing_support::DumpGuide(database, "c.gz"),
            testing_support::DumpGuide(dir / "head.sqlite", "head.xml"));
  EXPECT_GT(Count("schedule_entries"), 200);
}

}  // namespace
