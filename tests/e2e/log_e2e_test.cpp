// The program's log file, written by the real program.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_program.h"

namespace {

using namespace testing_support;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(LogFile, RunFromAnotherFolderAppendsHeaderModuleLineAndFooter) {
  std::string program = std::filesystem::canonical(RUZOZAZE_BINARY).string();
  std::string logFile = program + ".log";
  std::filesystem::remove(logFile);
  TempDir elsewhere;
  for (int run = 0; run < 2; ++run) {
    RunOptions o;
    o.program = program;
    o.args = {"/Logging:101", "/h"};
    o.cwd = elsewhere.path();
    EXPECT_EQ(RunProgram(o).exitCode, 0);
  }
  std::string text = ReadFile(logFile);
  std::string stars(75, '*');
  EXPECT_EQ(text.rfind(stars + "\r\nLog started on ", 0), 0u);
  EXPECT_EQ(Count(text, "Log started on "), 2u);
  EXPECT_EQ(Count(text, "Running time "), 2u);
  const std::string inOrder[] = {
      "Log file for Glimmerbox (https://glimmerbox.example). Put '/Logging:<code>' on \r\n"
      "the command line to perform logging where <code> is:\r\n\r\n0x0001: Log to file\r\n",
      "0x0700: User interventions.\r\n\r\nCurrent code is 0x101\r\n\r\nProcess ID:           0x",
      "CommandLine is:       '\"" + program + "\" /Logging:101 /h'\r\n",
      "Current directory is: '" + elsewhere.path() + "'\r\n\r\n",
      "Module starting to log: '" + program + "'\r\n",
      "\r\nLog ended on ",
      "\r\nRunning time ",
      stars + "\r\n\r\n",
  };
  size_t at = 0;
  for (const std::string& piece : inOrder) {
    size_t found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << piece;
    at = found + piece.size();
  }
  std::filesystem::remove(logFile);
}

TEST(LogFile, InheritedCodeWritesNoHeaderAndNoSwitchMeansNoFile) {
  TempDir dir;
  std::string program = CopyProgram(dir);
  RunOptions o;
  o.program = program;
  o.args = {"/h"};
  o.cwd = dir.path();
  EXPECT_EQ(RunProgram(o).exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(program + ".log"));
  o.env = {{"logging", "00000101"}};
  RunProgram(o);
  std::string text = ReadFile(program + ".log");
  EXPECT_EQ(text.rfind("Module starting to log: '" + program + "'\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(" TRACE: RUZOZAZE called with command line: '/h'\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Log started on"), std::string::npos);
  EXPECT_EQ(text.find("Running time"), std::string::npos);
}

TEST(LogFile, DebuggerOutputGoesToTheTraceCompanionElseStandardError) {
  TempDir dir;
  RunOptions o;
  o.program = CopyProgram(dir);
  o.args = {"/Logging:102", "/h"};
  RunResult plain = RunProgram(o);
  EXPECT_NE(plain.err.find("Module starting to log: '" + o.program + "'\r\n"), std::string::npos);
  std::string library = std::filesystem::path(RUZOZAZE_BINARY).parent_path().string();
  o.env = {{"LD_LIBRARY_PATH", library}, {"TREVANCE_FILE", dir / "trace.txt"}};
  RunResult traced = RunProgram(o);
  EXPECT_EQ(traced.err, "");
  std::string trace = ReadFile(dir / "trace.txt");
  EXPECT_EQ(trace.rfind(std::string(75, '*'), 0), 0u);
  EXPECT_NE(trace.find("Running time "), std::string::npos);
}

}  // namespace
