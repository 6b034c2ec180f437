// The log: where its lines go, how they read, the boxes it shows, and the texts it writes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "diag/format.h"
#include "diag/log.h"
#include "diag/log_settings.h"
#include "diag/log_text.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "tests/support/recording_backend.h"
#include "tests/support/run_program.h"

namespace {

using testing_support::RecordingBackend;

TEST(LogText, FormatRunningTimeAndDates) {
  std::string out, longer(5000, 'c');  // beyond the first buffer
  EXPECT_EQ(Format(out, "%s", longer.c_str()), 5000);
  EXPECT_EQ(out, longer);
  const uint64_t ms = 10000;
  EXPECT_EQ(RunningTimeText(0, ms * (86400000 + 3600000 + 60000 + 1000 + 1)),
            "1 Days 01:01:01:001");
  EXPECT_EQ(RunningTimeText(5, 5 + ms * (60000 + 1000 + 1)), "00:01:01:001");
  const platform::SystemTime t{2026, 12, 1, 7, 14, 3, 7, 42};
  EXPECT_EQ(LogDateText(t) + " " + LogTimeText(t), "Monday 7 December 2026 14:03:07:042");
}

// The code comes from the switch (removed from the line), else from the inherited variable (then
// the log is not the owner), else is 0x100; a debugger adds its sink and lowers the threshold.
TEST(LogSettings, CodeFromTheSwitchElseTheVariableElseTheDefault) {
  // The result: code, owner, variable published, file sink | line left.
  const struct {
    const char *line, *inherited;
    bool debugger;
    const char* result;
  } cases[] = {
      {"prog -LOGGING:103 file.xml", nullptr, false, "103 1 00000103 /p/prog.log|prog file.xml"},
      {"prog x /logging:  0XfF", nullptr, false, "ff 1 000000FF /p/prog.log|prog x 0XfF"},
      {"prog /Logging:zz", nullptr, false, "0 1 00000000 |prog "},
      {"prog -logging:1 /logging:2", nullptr, false, "1 1 00000001 /p/prog.log|prog /logging:2"},
      {"prog /Logging:0x0301", nullptr, true, "103 1 00000103 /p/prog.log|prog "},
      {"prog /Logging:0x0001", nullptr, true, "3 1 00000003 /p/prog.log|prog "},
      {"prog", nullptr, true, "102 1 00000102 |prog"},
      {"prog file.xml", "00000101", true, "101 0 00000101 /p/prog.log|prog file.xml"},
      {"prog", "000001011", false, "101 0 000001011 /p/prog.log|prog"},
      {"prog file.xml", nullptr, false, "100 1 00000100 |prog file.xml"},
  };
  for (const auto& c : cases) {
    c.inherited != nullptr ? setenv("logging", c.inherited, 1) : unsetenv("logging");
    LogSettings settings;
    std::string line = c.line, result;
    settings.Read(line, "/p/prog", c.debugger);
    Format(result, "%x %d %s %s|%s", settings.m_nCode, settings.m_bOwner, getenv("logging"),
           settings.m_strFileName.c_str(), line.c_str());
    EXPECT_EQ(result, c.result) << c.line;
  }
}

class LogTest : public ::testing::Test {
 protected:
  LogTest() {
    unsetenv("logging");
    platform::ui::InstallBackend(std::unique_ptr<RecordingBackend>(ui));
  }
  // A log over `line`, writing its file beside a program named "prog" in the temporary folder.
  std::unique_ptr<Log> Make(std::string line) {
    return std::make_unique<Log>(line, dir / "prog", false);
  }

  testing_support::TempDir dir;
  RecordingBackend* ui = new RecordingBackend;
};

// Whatever the sinks, alerts and interventions show a box unless the threshold is above them; an
// alert counts down from 15 in its caption, then closes itself.
TEST_F(LogTest, BoxesShowUnlessTheThresholdIsAboveThem) {
  auto log = Make("prog");
  log->Begin(USERALERT) << "Unrecoverable internal error: Cannot open EPG database.";
  log->Begin(USERINTERVENTION) << "stop";
  ASSERT_EQ(ui->boxes.size(), 2u);
  EXPECT_EQ(ui->boxes[0].text, "Unrecoverable internal error: Cannot open EPG database.\r\n");
  EXPECT_EQ(ui->boxes[0].style, 0x10010u);
  EXPECT_EQ(ui->boxes[0].captions.size(), 15u);
  EXPECT_EQ(ui->boxes[0].captions.back(), "01 - " + (dir / "prog"));
  EXPECT_EQ(ui->boxes[1].caption, dir / "prog");
  EXPECT_EQ(testing_support::ReadFile(dir / "prog.log"), "");

  auto silent = Make("prog /Logging:0x0801");
  for (int level = INFO; level <= USERINTERVENTION; ++level)
    EXPECT_FALSE(silent->IsOn(level));
  silent->Begin(USERALERT) << "no box";
  EXPECT_EQ(ui->boxes.size(), 2u);
}

// Lines start with the time of day, hh:mm:ss:mmm, then the level; the error information takes
// errors and above.
TEST_F(LogTest, ThresholdSelectsLevelsAndLinesComposeTheirParts) {
  auto log = Make("prog /Logging:0x0105");
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_OK);  // the header, emitted at ERROR level
  info->Release();
  log->Begin(INFO) << "not composed";
  log->Begin(TRACE) << "a trace";
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  log->Begin(ERROR) << "hex " << LogMessage::hex << 259 << " " << -1 << LogMessage::dec << " dec "
                    << -42 << " " << static_cast<const char*>(nullptr);
  log->Begin(ERROR) << "ends" << LogMessage::crlf;
  std::string text = testing_support::ReadFile(dir / "prog.log");
  EXPECT_EQ(text.find("not composed"), std::string::npos);
  EXPECT_NE(text.find(" TRACE: a trace\r\n"), std::string::npos);
  size_t at = text.find(" ERROR: hex 103 ffffffff dec -42 <null>\r\n");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ((std::string{text[at - 10], text[at - 7], text[at - 4]}), ":::");
  EXPECT_TRUE(text.ends_with(" ERROR: ends\r\n")) << text;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  BSTR description = nullptr;
  info->GetDescription(&description);
  EXPECT_TRUE(platform::BstrToAnsi(description).ends_with(" ERROR: ends\r\n"));
  SysFreeString(description);
  info->Release();
}

}  // namespace
