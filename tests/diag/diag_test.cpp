// The log: where its lines go, how they read, the boxes it shows, and the helpers it writes with.
#include <gtest/gtest.h>

#include <cstdlib>

#include "diag/countdown_box.h"
#include "diag/format.h"
#include "diag/log.h"
#include "diag/log_settings.h"
#include "diag/log_text.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"

namespace {

using testing_support::ReadFile;
using testing_support::ScriptedBackend;

TEST(LogText, FormatUpperCaseRunningTimeAndDates) {
  std::string out, longest(32767, 'c');
  EXPECT_EQ(Format(out, "%%%d", 1), 2);
  EXPECT_EQ(out, "%1");
  EXPECT_EQ(Format(out, "%s", longest.c_str()), 32767);
  EXPECT_EQ(out, longest);
  EXPECT_LT(Format(out, "%sx", longest.c_str()), 0);
  EXPECT_EQ(out, "ERROR: Output of Format was to big to handle\n");
  std::string name = "commandline\xC3\xA4x";
  ToUpper(name);
  EXPECT_EQ(name, "COMMANDLINE\xC3\xA4X");
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
  const struct {
    const char* line;
    bool debugger;
    const char* inherited;
    const char* result;  // code, owner, variable published, file sink | line left
  } cases[] = {
      {"prog -LOGGING:103 file.xml", false, nullptr,
       "103 1 00000103 /opt/bin/prog.log|prog file.xml"},
      {"prog x /logging:  0XfF", false, nullptr, "ff 1 000000FF /opt/bin/prog.log|prog x 0XfF"},
      {"prog /Logging:zz", false, nullptr, "0 1 00000000 |prog "},
      {"prog -logging:101 /logging:2 x", false, nullptr,
       "101 1 00000101 /opt/bin/prog.log|prog /logging:2 x"},
      {"prog /Logging:0x0301", true, nullptr, "103 1 00000103 /opt/bin/prog.log|prog "},
      {"prog /Logging:0x0001", true, nullptr, "3 1 00000003 /opt/bin/prog.log|prog "},
      {"prog", true, nullptr, "102 1 00000102 |prog"},
      {"prog file.xml", true, "00000101", "101 0 00000101 /opt/bin/prog.log|prog file.xml"},
      {"prog", false, "000001011", "101 0 000001011 /opt/bin/prog.log|prog"},
      {"prog file.xml", false, nullptr, "100 1 00000100 |prog file.xml"},
  };
  for (const auto& c : cases) {
    c.inherited != nullptr ? setenv("logging", c.inherited, 1) : unsetenv("logging");
    LogSettings settings;
    std::string line = c.line;
    settings.Read(line, "/opt/bin/prog", c.debugger);
    std::string result;
    Format(result, "%x %d %s %s|%s", settings.m_nCode, settings.m_bOwner, getenv("logging"),
           settings.m_strFileName.c_str(), line.c_str());
    EXPECT_EQ(result, c.result) << c.line;
  }
}

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

  testing_support::TempDir dir;
  ScriptedBackend* ui = nullptr;
};

TEST_F(LogTest, DefaultCodeWritesNothingButShowsAlerts) {
  auto log = Make("prog");
  log->Begin(USERALERT) << "Unrecoverable internal error: Cannot open EPG database.";
  log->Begin(USERINTERVENTION) << "stop";
  ASSERT_EQ(ui->boxes.size(), 2u);
  EXPECT_EQ(ui->boxes[0].text, "Unrecoverable internal error: Cannot open EPG database.\r\n");
  EXPECT_EQ(ui->boxes[0].style, 0x10010u);
  // An alert counts down from 15 in its caption, then closes itself.
  const std::vector<std::string>& captions = ui->boxes[0].captions;
  ASSERT_EQ(captions.size(), 15u);
  EXPECT_EQ(captions[0] + "|" + captions[1] + "|" + captions[14],
            "15 - " + (dir / "prog") + "|14 - " + (dir / "prog") + "|01 - " + (dir / "prog"));
  EXPECT_EQ(ui->boxes[1].caption, dir / "prog");
  EXPECT_EQ(LogFile(), "");
}

// Lines start with the time of day, hh:mm:ss:mmm, then the level.
TEST_F(LogTest, ThresholdSelectsLevelsAndLinesComposeTheirParts) {
  auto log = Make("prog /Logging:0x0301");
  log->Begin(WARNING) << "not composed";
  log->Begin(ERROR) << "hex " << LogMessage::hex << 259 << " " << -1 << LogMessage::dec << " dec "
                    << -42 << " " << static_cast<const char*>(nullptr);
  log->Begin(ERROR) << "ends" << LogMessage::crlf;
  std::string text = LogFile();
  EXPECT_EQ(text.find("not composed"), std::string::npos);
  size_t at = text.find(" ERROR: hex 103 ffffffff dec -42 <null>\r\n");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ((std::string{text[at - 10], text[at - 7], text[at - 4]}), ":::");
  EXPECT_TRUE(text.ends_with(" ERROR: ends\r\n")) << text;

  auto silent = Make("prog /Logging:0x0801");
  for (int level = INFO; level <= USERINTERVENTION; ++level)
    EXPECT_FALSE(silent->IsOn(level));
  silent->Begin(USERALERT) << "no box";
  EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(LogTest, ErrorInformationTakesErrorsAndAbove) {
  auto log = Make("prog /Logging:0x104");
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

}  // namespace
