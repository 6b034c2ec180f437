#include "diag/log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "diag/log_text.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/ui/ui.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"

namespace {

using testing_support::ReadFile;
using testing_support::ScriptedBackend;
using testing_support::TempDir;

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("logging");
    auto backend = std::make_unique<ScriptedBackend>();
    ui = backend.get();
    platform::ui::InstallBackend(std::move(backend));
  }
  // A log over `line`, writing its file beside a program named "prog" in the temporary folder.
  std::unique_ptr<Log> Make(std::string line) {
    return std::make_unique<Log>(line, dir / "prog", false);
  }
  std::string LogFile() { return ReadFile(dir / "prog.log"); }

  TempDir dir;
  ScriptedBackend* ui = nullptr;
};

TEST_F(LogTest, DefaultCodeWritesNothingButShowsAlerts) {
  auto log = Make("prog");
  EXPECT_FALSE(log->IsOn(TRACE));
  EXPECT_FALSE(log->IsOn(ERROR));
  EXPECT_TRUE(log->IsOn(USERALERT));
  log->Begin(USERALERT) << "Unrecoverable internal error: Cannot open EPG database.";
  ASSERT_EQ(ui->boxes.size(), 1u);
  EXPECT_EQ(ui->boxes[0].text, "Unrecoverable internal error: Cannot open EPG database.\r\n");
  EXPECT_EQ(ui->boxes[0].style, 0x10010u);
  EXPECT_EQ(ui->boxes[0].captions.front(), "15 - " + (dir / "prog"));
  log->Begin(USERINTERVENTION) << "stop";
  ASSERT_EQ(ui->boxes.size(), 2u);
  EXPECT_EQ(ui->boxes[1].caption, dir / "prog");
  EXPECT_EQ(LogFile(), "");
}

TEST_F(LogTest, ThresholdSelectsLevels) {
  auto log = Make("prog /Logging:0x0301");
  EXPECT_FALSE(log->IsOn(TRACE));
  EXPECT_FALSE(log->IsOn(WARNING));
  EXPECT_TRUE(log->IsOn(ERROR));
  log->Begin(WARNING) << "not composed";
  log->Begin(ERROR) << "Program has no title";
  std::string text = LogFile();
  EXPECT_EQ(text.find("not composed"), std::string::npos);
  size_t at = text.find(" ERROR: Program has no title\r\n");
  ASSERT_NE(at, std::string::npos);
  // The line starts with the time of day: hh:mm:ss:mmm.
  EXPECT_EQ(text[at - 4], ':');
  EXPECT_EQ(text[at - 7], ':');

  auto silent = Make("prog /Logging:0x0801");
  for (int level = INFO; level <= USERINTERVENTION; ++level)
    EXPECT_FALSE(silent->IsOn(level));
  silent->Begin(USERALERT) << "no box";
  EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(LogTest, AppendsCompose) {
  auto log = Make("prog /Logging:1");
  log->Begin(INFO) << "hex " << LogMessage::hex << 259 << " " << -1 << LogMessage::dec << " dec "
                   << -42 << " " << static_cast<const char*>(nullptr);
  log->Begin(INFO) << "ends" << LogMessage::crlf;
  log->Begin(INFO) << "";
  std::string text = LogFile();
  EXPECT_NE(text.find(" INFO: hex 103 ffffffff dec -42 <null>\r\n"), std::string::npos);
  EXPECT_NE(text.find(" INFO: ends\r\n"), std::string::npos);
  EXPECT_EQ(text.find("ends\r\n\r\n"), std::string::npos);
}

TEST_F(LogTest, OwnerWritesHeaderAndFooterNonOwnerNeither) {
  Make("prog /Logging:101 file.xml").reset();
  std::string text = LogFile();
  EXPECT_EQ(text.rfind(std::string(75, '*') + "\r\nLog started on ", 0), 0u);
  EXPECT_NE(text.find("Current code is 0x101\r\n"), std::string::npos);
  EXPECT_NE(text.find("CommandLine is:       'prog /Logging:101 file.xml'\r\n"), std::string::npos);
  EXPECT_NE(text.find("'\r\n\r\nModule starting to log: '" + (dir / "prog") + "'\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nRunning time "), std::string::npos);
  EXPECT_NE(text.find(" local time\r\nRunning time 00:00:0"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n" + std::string(75, '*') + "\r\n\r\n"));

  std::filesystem::remove(dir / "prog.log");
  setenv("logging", "00000101", 1);
  Make("prog file.xml").reset();
  EXPECT_EQ(LogFile(), "Module starting to log: '" + (dir / "prog") + "'\r\n");
}

TEST_F(LogTest, ErrorInformationTakesErrorsAndAbove) {
  auto log = Make("prog /Logging:0x104");
  log->Begin(TRACE) << "a trace";
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_OK);  // the header, emitted at ERROR level
  info->Release();
  log->Begin(TRACE) << "a trace";
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  log->Begin(ERROR) << "Failed to clean database";
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  BSTR description = nullptr;
  info->GetDescription(&description);
  EXPECT_TRUE(platform::BstrToAnsi(description).ends_with(" ERROR: Failed to clean database\r\n"));
  SysFreeString(description);
  info->Release();
}

TEST(LogText, RunningTimeAndDates) {
  const uint64_t ms = 10000;
  EXPECT_EQ(RunningTimeText(0, ms * (86400000 + 3600000 + 60000 + 1000 + 1)),
            "1 Days 01:01:01:001");
  EXPECT_EQ(RunningTimeText(5, 5 + ms * (60000 + 1000 + 1)), "00:01:01:001");
  platform::SystemTime t;
  t.year = 2026;
  t.month = 12;
  t.dayOfWeek = 1;
  t.day = 7;
  t.hour = 14;
  t.minute = 3;
  t.second = 7;
  t.milliseconds = 42;
  EXPECT_EQ(LogDateText(t), "Monday 7 December 2026");
  EXPECT_EQ(LogTimeText(t), "14:03:07:042");
}

}  // namespace
