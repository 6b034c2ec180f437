// Listings as they arrive in practice: compressed with gzip or xz, through pipes and FIFOs, and
// damaged on the way. Whatever the form, the guide stored must be the plain file's.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/e2e/guide_dump.h"
#include "tests/e2e/program_fixture.h"

namespace {

using testing_support::DumpGuide;
using testing_support::ReadFile;
using testing_support::WriteFile;

// A path inside single quotes for a shell command line.
std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

void Shell(const std::string& commandLine) {
  ASSERT_EQ(std::system(commandLine.c_str()), 0) << commandLine;
}

// The ERROR lines of a log without their times, the listings file named "<file>".
std::vector<std::string> ErrorLines(const std::string& log, const std::string& fileName) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    size_t at = line.find(" ERROR: ");
    if (at == std::string::npos)
      continue;
    line = line.substr(at);
    if (size_t name = line.find(fileName); name != std::string::npos)
      line.replace(name, fileName.size(), "<file>");
    lines.push_back(line);
  }
  return lines;
}

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

// The line a read fault names, 0 when no such fault was logged.
uint64_t FaultLine(const std::vector<std::string>& errors, const std::string& fault) {
  const std::string prefix = " ERROR: Cannot read XMLTV file '<file>' at line ";
  const std::string suffix = ": " + fault + "\r";
  for (const std::string& error : errors) {
    if (!error.starts_with(prefix) || !error.ends_with(suffix))
      continue;
    std::string number = error.substr(prefix.size(), error.size() - prefix.size() - suffix.size());
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
      return std::stoull(number);
  }
  return 0;
}

constexpr char kErrorsOnly[] = "/Logging:301";
// Every line logged costs a write to disk: only small files are imported with it.
constexpr char kEverything[] = "/Logging:101";

class FeedsTest : public ProgramTest {
 protected:
  struct Outcome {
    int exitCode = 0;
    std::vector<std::string> guide;
    std::vector<std::string> errors;
    bool operator==(const Outcome&) const = default;
  };

  // Imports into a database of its own.
  Outcome Import(const std::string& file, const std::string& database,
                 const std::string& logging = kErrorsOnly,
                 testing_support::RunOptions options = {}) {
    std::filesystem::remove(program + ".log");
    options.args = {logging, file};
    options.env["GLIMMERBOX_EPG_DB"] = dir / database;
    int exitCode = Start(options).exitCode;
    return {exitCode, DumpGuide(dir / database, file), ErrorLines(LogText(), file)};
  }

  // Runs a bash command line in the working folder, $RUZOZAZE standing for the program, with a
  // database of its own.
  Outcome ImportThroughShell(const std::string& commandLine, const std::string& database,
                             const std::string& fileName) {
    std::filesystem::remove(program + ".log");
    testing_support::RunOptions options;
    options.program = "/bin/bash";
    options.args = {"-c", commandLine};
    options.env["GLIMMERBOX_EPG_DB"] = dir / database;
    int exitCode = Start(options).exitCode;
    return {exitCode, DumpGuide(dir / database, fileName), ErrorLines(LogText(), fileName)};
  }

  // The exit code of the extraction and the channels.txt it wrote.
  std::pair<int, std::string> Extract(const std::string& file) {
    int exitCode = Run({"/x", file}).exitCode;
    return {exitCode, ChannelsFileExists() ? ChannelsText() : "(none)"};
  }

  testing_support::RunResult Start(testing_support::RunOptions options) {
    if (options.program.empty())
      options.program = program;
    options.cwd = work;
    options.env.insert({{"RUZOZAZE", program},
                        {"RUZOZAZE_UI", "none"},
                        {"GLIMMERBOX_EPG_DB", database},
                        {"GLIMMERBOX_REGISTRY", registry},
                        {"HOME", dir.path()}});
    options.unset = {"XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"};
    return testing_support::RunProgram(options);
  }

  // A deterministic listings file of about 2.6 MB in the working folder.
  std::string Generated() {
    std::string path = work + "/generated.xml";
    Shell("python3 " + Quoted(std::string(RUZOZAZE_SOURCE_DIR) + "/bench/generate_listings.py") +
          " 5 3000 " + Quoted(path));
    return path;
  }

  // A plain file of the first `lines` lines of `file`.
  std::string Head(const std::string& file, uint64_t lines) {
    std::string path = work + "/head.xml";
    Shell("head -n " + std::to_string(lines) + " " + Quoted(file) + " > " + Quoted(path));
    return path;
  }

  // Imports a damaged file: it must fail at `fault`, leaving the guide exactly as the lines
  // before the fault give it. Returns the line the fault names.
  uint64_t ExpectFaultKeepsWhatCameBefore(const std::string& damaged, const std::string& original,
                                          const std::string& fault) {
    Outcome got = Import(damaged, "damaged.sqlite");
    EXPECT_EQ(got.exitCode, -1);
    EXPECT_EQ(got.errors.size(), 1u);
    uint64_t line = FaultLine(got.errors, fault);
    EXPECT_GT(line, 100u) << testing::PrintToString(got.errors);
    if (line == 0)
      return 0;
    Outcome before = Import(Head(original, line - 1), "head.sqlite");
    EXPECT_EQ(got.guide, before.guide);
    EXPECT_GT(std::stol(testing_support::QueryValue(dir / "damaged.sqlite",
                                                    "SELECT count(*) FROM schedule_entries")),
              100);
    return line;
  }
};

class CompressedSampleTest : public FeedsTest, public ::testing::WithParamInterface<std::string> {};

// The same file as gzip, as xz, and cut in two with each half compressed as a gzip member of its
// own (as `cat a.gz b.gz` makes them), by the command-line tools, in the working folder.
std::vector<std::string> CompressedForms(const std::string& file, const std::string& work) {
  std::string content = ReadFile(file);
  WriteFile(work + "/half1", content.substr(0, content.size() / 2));
  WriteFile(work + "/half2", content.substr(content.size() / 2));
  const std::vector<std::pair<std::string, std::string>> forms = {
      {"listings.gz", "gzip -c " + Quoted(file)},
      {"listings.xz", "xz -c " + Quoted(file)},
      {"two-members.gz",
       "gzip -c " + Quoted(work + "/half1") + "; gzip -c " + Quoted(work + "/half2")},
  };
  std::vector<std::string> paths;
  for (const auto& [name, command] : forms) {
    paths.push_back(work + "/" + name);
    Shell("{ " + command + "; } > " + Quoted(paths.back()));
  }
  return paths;
}

TEST_P(CompressedSampleTest, GivesThePlainFilesGuideAndChannels) {
  std::string sample = Sample(GetParam());
  Outcome plain = Import(sample, "plain.sqlite");
  std::pair<int, std::string> plainChannels = Extract(sample);
  int n = 0;
  for (const std::string& file : CompressedForms(sample, work)) {
    SCOPED_TRACE(file);
    EXPECT_EQ(Import(file, "compressed" + std::to_string(++n) + ".sqlite"), plain);
    EXPECT_EQ(Extract(file), plainChannels);
  }
}

std::vector<std::string> SampleNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(RUZOZAZE_SAMPLES_DIR)) {
    if (entry.path().extension() == ".xml")
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Samples, CompressedSampleTest, ::testing::ValuesIn(SampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.substr(0, info.param.size() - 4);
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           }
                           return name;
                         });

// Over three pipe buffers long, and with a hundred percentage steps.
constexpr char kMediumSample[] = "iptvorg_epg.iptvx.one_content.xml";

TEST_F(FeedsTest, PercentageFollowsTheFileReadAndEndsAt100) {
  std::string sample = Sample(kMediumSample);
  std::vector<std::string> files = CompressedForms(sample, work);
  files.insert(files.begin(), sample);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    ASSERT_EQ(Import(file, "guide.sqlite", kEverything).exitCode, 0);
    std::vector<int> shown = Percentages(LogText());
    ASSERT_GT(shown.size(), 10u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_LT(shown.front(), 10);
    EXPECT_EQ(shown.back(), 100);
  }
}

TEST_F(FeedsTest, PipesAndFifosGiveThePlainFilesGuideWithoutPercentage) {
  std::string sample = Sample(kMediumSample);
  Outcome plain = Import(sample, "plain.sqlite");
  ASSERT_EQ(plain.exitCode, 0);
  Shell("xz -c " + Quoted(sample) + " > " + Quoted(work + "/listings.xml.xz"));

  // Standard input from the file itself: it has a size, so the percentage runs.
  testing_support::RunOptions fromFile;
  fromFile.stdinFile = sample;
  EXPECT_EQ(Import("/dev/stdin", "stdin.sqlite", kEverything, fromFile), plain);
  EXPECT_EQ(Percentages(LogText()).back(), 100);

  const std::vector<std::pair<std::string, std::string>> pipes = {
      {"cat " + Quoted(sample) + " | \"$RUZOZAZE\" /Logging:101 /dev/stdin", "/dev/stdin"},
      {"gzip -c " + Quoted(sample) + " | \"$RUZOZAZE\" /Logging:101 /dev/stdin", "/dev/stdin"},
      {"\"$RUZOZAZE\" /Logging:101 <(xzcat listings.xml.xz)", "/dev/fd/"},
      {"\"$RUZOZAZE\" /Logging:101 /dev/fd/3 3< <(cat listings.xml.xz)", "/dev/fd/3"},
      {"mkfifo fifo && { cat " + Quoted(sample) +
           " > fifo & } && \"$RUZOZAZE\" /Logging:101 fifo; status=$?; rm fifo; exit $status",
       "fifo"},
  };
  int n = 0;
  for (const auto& [commandLine, fileName] : pipes) {
    SCOPED_TRACE(commandLine);
    std::string database = "pipe" + std::to_string(++n) + ".sqlite";
    Outcome got = ImportThroughShell(commandLine, database, fileName);
    if (fileName == "/dev/fd/") {
      // A process substitution's number is the shell's choice: take the name the import saw.
      std::string source = testing_support::QueryValue(
          dir / database, "SELECT value FROM metadata WHERE key = 'source_description'");
      got.guide = DumpGuide(dir / database, source.substr(source.find("/dev/fd/")));
    }
    EXPECT_EQ(got, plain);
    EXPECT_EQ(Percentages(LogText()), std::vector<int>{});
    EXPECT_NE(LogText().find("Import summary: "), std::string::npos);
  }

  std::pair<int, std::string> channels = Extract(sample);
  ASSERT_EQ(channels.first, 0);
  for (const std::string& commandLine :
       std::vector<std::string>{"cat " + Quoted(sample) + " | \"$RUZOZAZE\" /x /dev/stdin",
                                "\"$RUZOZAZE\" /x <(xzcat listings.xml.xz)"}) {
    SCOPED_TRACE(commandLine);
    std::filesystem::remove(work + "/channels.txt");
    testing_support::RunOptions options;
    options.program = "/bin/bash";
    options.args = {"-c", commandLine};
    EXPECT_EQ(Start(options).exitCode, 0);
    EXPECT_EQ(ChannelsText(), channels.second);
  }
}

TEST_F(FeedsTest, CompressedFileCutShortKeepsWhatCameBeforeAndFails) {
  std::string original = Generated();
  for (const char* format : {"gzip", "xz"}) {
    SCOPED_TRACE(format);
    std::string whole = work + "/whole." + format;
    Shell(std::string(format) + " -c " + Quoted(original) + " > " + Quoted(whole));
    std::string bytes = ReadFile(whole);
    std::string cut = work + "/cut." + format;
    WriteFile(cut, bytes.substr(0, bytes.size() / 2));
    ExpectFaultKeepsWhatCameBefore(cut, original, std::string(format) + " data is cut short");
  }
}

TEST_F(FeedsTest, CorruptGzipDataKeepsWhatCameBeforeAndFails) {
  std::string original = Generated();
  // Two members that split the file between lines; one byte in the middle, the first of the
  // second member's data, then claims a block type that does not exist.
  std::string text = ReadFile(original);
  size_t middle = text.find('\n', text.size() / 2) + 1;
  WriteFile(work + "/first", text.substr(0, middle));
  WriteFile(work + "/second", text.substr(middle));
  Shell("cd " + Quoted(work) + " && gzip -n -c first > first.gz && gzip -n -c second > second.gz");
  std::string bytes = ReadFile(work + "/first.gz") + ReadFile(work + "/second.gz");
  size_t changed = ReadFile(work + "/first.gz").size() + 10;  // behind the 10-byte header
  bytes[changed] = static_cast<char>(bytes[changed] | 0x06);
  std::string corrupt = work + "/corrupt.gz";
  WriteFile(corrupt, bytes);
  uint64_t line = ExpectFaultKeepsWhatCameBefore(corrupt, original,
                                                 "gzip data is corrupt (invalid block type)");
  EXPECT_EQ(line, std::count(text.begin(), text.begin() + middle, '\n') + 1);

  // One byte changed anywhere in the middle: the data or its checksum no longer holds, and
  // either the gzip reader or the XML parser, whichever meets it first, says so.
  Shell("gzip -n -c " + Quoted(original) + " > " + Quoted(work + "/single.gz"));
  bytes = ReadFile(work + "/single.gz");
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
  WriteFile(corrupt, bytes);
  Outcome got = Import(corrupt, "single.sqlite");
  EXPECT_EQ(got.exitCode, -1);
  ASSERT_EQ(got.errors.size(), 1u);
  EXPECT_TRUE(got.errors[0].starts_with(" ERROR: Cannot read XMLTV file '<file>' at line ") ||
              got.errors[0].starts_with(" ERROR: XML error in '<file>' at line "))
      << got.errors[0];
  EXPECT_GT(std::stol(testing_support::QueryValue(dir / "single.sqlite",
                                                  "SELECT count(*) FROM schedule_entries")),
            100);
}

}  // namespace
