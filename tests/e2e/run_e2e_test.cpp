// The program from its command line to its exit code: usage, file choice, the import and the
// extraction on real files, options and failures.
#include <unistd.h>

#include <filesystem>

#include "tests/e2e/program_fixture.h"
#include "tests/support/pty_session.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class RunTest : public ProgramTest {};

TEST_F(RunTest, UsageOnlyForH) {
  auto r = Run({"-h", Sample("xmltv_simple.xml")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Command line options\nRUZOZAZE.exe /x /c[:numdays]"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(database));
}

// Without a user interface nobody can be asked for a file, so a run without an existing one
// fails and says why on standard error and in the log; on a terminal the prompt asks, and its
// cancel ends the run as a success. The same for both jobs.
TEST_F(RunTest, WithoutAListingsFileOnlyATerminalAsks) {
  const std::string usage = "RUZOZAZE.exe /x /c[:numdays] /o:numminutes";
  const std::string missing =
      "Cannot read XMLTV file '/no/such/file.xml': No such file or directory";
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{{{"/no/such/file.xml"}, missing},
                                         {{"/x", "/no/such/file.xml"}, missing},
                                         {{}, usage},
                                         {{"/x"}, usage}}) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::filesystem::remove(program + ".log");
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "/Logging:301");
    auto r = Run(args);
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_TRUE(r.err.starts_with(c.error)) << r.err;
    EXPECT_NE(LogText().find(" ERROR: " + c.error), std::string::npos) << LogText();

    ExportEnvironment();
    args = c.args;
    args.insert(args.begin(), program);
    testing_support::PtySession terminal(args, work);
    EXPECT_NE(terminal.WaitFor("XMLTV Listings file (.xml) ["), std::string::npos)
        << terminal.Output();
    terminal.Type("\x04");
    EXPECT_EQ(terminal.Finish(), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(database));
  EXPECT_FALSE(ChannelsFileExists());
}

TEST_F(RunTest, ImportLogsParametersAndStoresChannels) {
  auto r = Run({"/Logging:101", "/c:7", "-o:\"90\"", Sample("ektotv_example.xml")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string log = LogText();
  // Every parameter, in byte order of the names.
  size_t a = log.find("Commandline argument: '%1' => '" + Sample("ektotv_example.xml") + "'");
  size_t b = log.find("Commandline argument: 'C' => '7'");
  size_t c = log.find("Commandline argument: 'COMMANDLINE' => '");
  size_t d = log.find("Commandline argument: 'MODULEFILENAME' => '" + program + "'");
  size_t e = log.find("Commandline argument: 'O' => '90'");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_LT(c, d);
  EXPECT_LT(d, e);
  EXPECT_NE(e, std::string::npos);
  EXPECT_NE(log.find(" TRACE: Removing entries older than 7 days\r\n"), std::string::npos);
  EXPECT_NE(log.find(" TRACE: Adding 90 minutes to the start and end times of all programs\r\n"),
            std::string::npos);
  EXPECT_NE(log.find(" TRACE: CProgressDialog::AddString: XMLTV import finished\r\n"),
            std::string::npos);
  EXPECT_EQ(Rows("SELECT channel_id, name, coalesce(icon, '') FROM services ORDER BY channel_id"),
            (std::vector<std::string>{
                "channel_one|Channel One|https://example.com/channel_one_icon.jpg",
                "channel_two|Channel Two: Minimum valid channel|",
            }));
  EXPECT_EQ(Value("SELECT value FROM metadata WHERE key = 'source_description'"),
            "XMLTV data read from: " + Sample("ektotv_example.xml"));
  EXPECT_EQ(ChannelsText(), "channel_one\r\nchannel_two\r\n");
}

TEST_F(RunTest, CleanAllEmptiesTheGuideBeforeImporting) {
  ASSERT_EQ(Run({Sample("ektotv_example.xml")}).exitCode, 0);
  auto r = Run({"/Logging:101", "/c", Sample("xmltv_simple.xml")});
  EXPECT_EQ(r.exitCode, 0);
  std::string log = LogText();
  EXPECT_NE(log.find(" TRACE: Deleting whole database\r\n"), std::string::npos);
  EXPECT_EQ(log.find("Removing entries older than"), std::string::npos);
  EXPECT_EQ(Value("SELECT count(*) FROM services WHERE channel_id = 'channel_one'"), "0");
}

TEST_F(RunTest, ServicesFileOrdersChannelsAndLeavesChannelsTxtAlone) {
  WriteFile(work + "/channels.txt", "kept\r\n");
  WriteFile(work + "/list.txt", "channel_two\r\nchannel_one\n");
  EXPECT_EQ(Run({"/s:list.txt", Sample("ektotv_example.xml")}).exitCode, 0);
  EXPECT_EQ(ChannelsText(), "kept\r\n");
  EXPECT_EQ(Rows("SELECT channel_id, position FROM services ORDER BY position"),
            (std::vector<std::string>{"channel_two|1", "channel_one|2"}));
}

TEST_F(RunTest, RegistryGivesTheDefaultAge) {
  WriteFile(registry,
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\"
            "Configuration\\EPG]\r\n\"Old data days\"=dword:0000000e\r\n");
  EXPECT_EQ(Run({"/Logging:101", Sample("xmltv_simple.xml")}).exitCode, 0);
  EXPECT_NE(LogText().find("Removing entries older than 14 days"), std::string::npos);
}

TEST_F(RunTest, BrokenFileFailsAfterSavingWhatCameBefore) {
  auto r = Run({"/Logging:301", Sample("ektotv_broken.xml")});
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_NE(LogText().find(" ERROR: XML error in '" + Sample("ektotv_broken.xml") +
                           "' at line 9, column 5: mismatched tag\r\n"),
            std::string::npos)
      << LogText();
  EXPECT_EQ(Value("SELECT name FROM services"), "Channel One");
}

TEST_F(RunTest, UnreadableFilesFailWithoutTouchingTheGuide) {
  ASSERT_EQ(Run({Sample("xmltv_simple.xml")}).exitCode, 0);
  std::vector<std::string> before = Rows("SELECT * FROM schedule_entries");
  std::filesystem::create_directory(work + "/folder.xml");
  EXPECT_EQ(Run({"/Logging:301", "/c", "folder.xml"}).exitCode, -1);
  EXPECT_NE(LogText().find(" ERROR: Cannot read XMLTV file 'folder.xml'"), std::string::npos);
  WriteFile(work + "/empty.xml", "");
  EXPECT_EQ(Run({"/c", "empty.xml"}).exitCode, -1);
  EXPECT_EQ(Rows("SELECT * FROM schedule_entries"), before);
}

TEST_F(RunTest, ExtractWritesChannelIds) {
  WriteFile(work + "/channels.txt", "old\r\n");
  auto r = Run({"/x", Sample("ektotv_example.xml")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(ChannelsText(), "channel_one\r\nchannel_two\r\n");
  EXPECT_FALSE(std::filesystem::exists(database));
  EXPECT_EQ(Run({"/x", Sample("ektotv_broken.xml")}).exitCode, -1);
  EXPECT_EQ(ChannelsText(), "channel_one\r\n");
}

}  // namespace
