// Listings as they arrive in practice: compressed with gzip or xz, through pipes and FIFOs, and
// damaged on the way. Whatever the form, the guide stored must be the plain file's.
#include <algorithm>
#include <sstream>

#include "tests/e2e/guide_model.h"
#include "tests/support/program_fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

// Every "NN% Completed" the log shows, in order.
std::vector<int> Percentages(const std::string& log) {
  std::vector<int> shown;
  const std::string prefix = "AddSubString: ";
  for (size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
    size_t digits = at + prefix.size();
    size_t end = log.find_first_not_of("0123456789", digits);
    if (end > digits && log.compare(end, 11, "% Completed") == 0)
      shown.push_back(std::stoi(log.substr(digits, end - digits)));
  }
  return shown;
}

class FeedsTest : public ProgramTest {
 protected:
  struct Outcome {
    int exitCode = 0;
    std::vector<std::string> guide;
    std::vector<std::string> errors;  // the log's ERROR lines, without their times
    bool operator==(const Outcome&) const = default;
  };

  // A listings file of about 500 kB, over three pipe buffers long.
  FeedsTest() {
    Shell("python3 '" RUZOZAZE_SOURCE_DIR "/bench/generate_listings.py' 5 600 listings.xml");
  }

  void Shell(const std::string& commandLine) {
    ASSERT_EQ(Start("/bin/bash", {"-c", commandLine}).exitCode, 0) << commandLine;
  }

  // Runs a bash command line in the working folder ($RUZOZAZE is the program) into a database
  // of its own; `fileName` is what the run names the listings.
  Outcome Import(const std::string& commandLine, const std::string& fileName) {
    std::filesystem::remove(program + ".log");
    std::string db = dir / ("guide" + std::to_string(++imports_) + ".sqlite");
    int exitCode = Start("/bin/bash", {"-c", commandLine}, {{"GLIMMERBOX_EPG_DB", db}}).exitCode;
    Outcome outcome{exitCode, guide_model::DumpGuide(db, fileName), {}};
    std::istringstream log(LogText());
    for (std::string line; std::getline(log, line);) {
      if (size_t at = line.find(" ERROR: "); at != std::string::npos)
        outcome.errors.push_back(line.substr(at));
    }
    return outcome;
  }

  int imports_ = 0;
};

TEST_F(FeedsTest, EveryFormAndPipeGivesThePlainFilesGuide) {
  Shell(
      "gzip -c listings.xml > l.gz && xz -c listings.xml > l.xz && "
      "{ head -n 8000 listings.xml | gzip -c; tail -n +8001 listings.xml | gzip -c; } > m.gz");
  Outcome plain = Import("\"$RUZOZAZE\" /Logging:101 listings.xml", "listings.xml");
  ASSERT_EQ(plain.exitCode, 0);
  // Files and standard input from a file have a size: the percentage follows the file read.
  for (const std::string name : {"listings.xml", "l.gz", "l.xz", "m.gz", "/dev/stdin"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Import("\"$RUZOZAZE\" /Logging:101 " + name + " < listings.xml", name), plain);
    std::vector<int> shown = Percentages(LogText());
    ASSERT_GT(shown.size(), 10u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_LT(shown.front(), 10);
    EXPECT_EQ(shown.back(), 100);
  }
  // Pipes have none.
  const std::vector<std::pair<std::string, std::string>> pipes = {
      {"cat listings.xml | \"$RUZOZAZE\" /Logging:101 /dev/stdin", "/dev/stdin"},
      {"gzip -c listings.xml | \"$RUZOZAZE\" /Logging:101 /dev/stdin", "/dev/stdin"},
      {"\"$RUZOZAZE\" /Logging:101 /dev/fd/3 3< <(xzcat l.xz)", "/dev/fd/3"},
      {"mkfifo fifo && { cat listings.xml > fifo & } && \"$RUZOZAZE\" /Logging:101 fifo; "
       "status=$?; rm fifo; exit $status",
       "fifo"},
  };
  for (const auto& [commandLine, fileName] : pipes) {
    SCOPED_TRACE(commandLine);
    EXPECT_EQ(Import(commandLine, fileName), plain);
    EXPECT_EQ(Percentages(LogText()), std::vector<int>{});
    EXPECT_TRUE(LogShows("Import summary: "));
  }

  ASSERT_EQ(Run({"/x", "listings.xml"}).exitCode, 0);
  std::string channels = ChannelsText();
  for (const char* commandLine :
       {"cat listings.xml | \"$RUZOZAZE\" /x /dev/stdin", "\"$RUZOZAZE\" /x <(xzcat l.xz)"}) {
    SCOPED_TRACE(commandLine);
    std::filesystem::remove(work + "/channels.txt");
    EXPECT_EQ(Start("/bin/bash", {"-c", commandLine}).exitCode, 0);
    EXPECT_EQ(ChannelsText(), channels);
  }
}

// A damaged file fails with one error naming the line of the fault, the guide exactly as the
// lines before it give it.
TEST_F(FeedsTest, DamagedCompressedFileKeepsWhatCameBeforeAndFails) {
  std::string text = ReadFile(work + "/listings.xml");
  // Two members that split the file between lines; the first byte of the second member's data,
  // behind its 10-byte header, then claims a block type that does not exist.
  size_t middle = text.find('\n', text.size() / 2) + 1;
  WriteFile(work + "/first", text.substr(0, middle));
  WriteFile(work + "/second", text.substr(middle));
  Shell(
      "gzip -n -c first > first.gz && gzip -n -c second > second.gz && "
      "for f in gzip xz; do $f -c listings.xml > w && head -c $(($(stat -c %s w) / 2)) w > cut.$f; "
      "done");
  std::string bytes = ReadFile(work + "/first.gz") + ReadFile(work + "/second.gz");
  bytes[ReadFile(work + "/first.gz").size() + 10] |= 0x06;
  WriteFile(work + "/corrupt.gz", bytes);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"cut.gzip", "gzip data is cut short"},
      {"cut.xz", "xz data is cut short"},
      {"corrupt.gz", "gzip data is corrupt (invalid block type)"},
  };
  for (const auto& [file, fault] : cases) {
    SCOPED_TRACE(file);
    Outcome got = Import("\"$RUZOZAZE\" /Logging:301 " + file, file);
    EXPECT_EQ(got.exitCode, -1);
    ASSERT_EQ(got.errors.size(), 1u);
    const std::string prefix = " ERROR: Cannot read XMLTV file '" + file + "' at line ";
    ASSERT_TRUE(got.errors[0].starts_with(prefix) && got.errors[0].ends_with(": " + fault + "\r"))
        << got.errors[0];
    long line = std::stol(got.errors[0].substr(prefix.size()));
    EXPECT_GT(line, 100);
    if (file == "corrupt.gz") {
      EXPECT_EQ(line, std::count(text.begin(), text.begin() + middle, '\n') + 1);
    }
    Shell("head -n " + std::to_string(line - 1) + " listings.xml > head.xml");
    Outcome before = Import("\"$RUZOZAZE\" /Logging:301 head.xml", "head.xml");
    EXPECT_EQ(got.guide, before.guide);
    EXPECT_GT(before.guide.size(), 200u);
  }
}

}  // namespace
