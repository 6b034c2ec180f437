// The parser's TRACE lines, read back from the process log's file. This binary turns the
// process log on (file sink, TRACE and above) before anything uses it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/command_line_parser.h"
#include "diag/log.h"
#include "platform/command_line.h"
#include "platform/file.h"
#include "tests/app/parser_cases.h"
#include "tests/support/run_program.h"

namespace {

class TraceLogEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    unsetenv("logging");
    platform::GetCommandLine() = "prog /Logging:101";
    Log::Instance();
  }
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TraceLogEnvironment);

uint64_t LogSize() {
  uint64_t size = 0;
  platform::GetFileSize(Log::Instance().FileName(), &size);
  return size;
}

// The lines written since the log file had `size` bytes, each without its time of day.
std::vector<std::string> LinesSince(uint64_t size) {
  std::string text = testing_support::ReadFile(Log::Instance().FileName()).substr(size);
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end - start);
    // "hh:mm:ss:mmm" comes first.
    lines.push_back(line.size() > 12 ? line.substr(12) : line);
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

TEST(CommandLineParserTrace, LogsExactlyTheExpectedLinesAndParsesTheSame) {
  ASSERT_TRUE(Log::Instance().IsOn(TRACE));
  ASSERT_FALSE(Log::Instance().FileName().empty());
  for (const parser_cases::Case& c : parser_cases::Cases()) {
    SCOPED_TRACE(c.line);
    uint64_t before = LogSize();
    CommandLineParser parser(c.line);
    std::vector<std::string> expected;
    for (const std::string& text : c.traces)
      expected.push_back(" TRACE: " + text);
    EXPECT_EQ(LinesSince(before), expected);
    EXPECT_EQ(parser_cases::Walk(parser), c.entries);
  }
}

}  // namespace
