// The program from its command line to its exit code, its log, channels.txt and the rows stored:
// usage, file choice, options, both jobs and the files they cannot read.
#include <filesystem>

#include "tests/support/program_fixture.h"
#include "tests/support/pty_session.h"

namespace {

using testing_support::WriteFile;

constexpr char kTwoChannels[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<tv>
  <channel id="channel_one"><display-name>Channel One</display-name><icon src="https://example.com/one.jpg"/></channel>
  <channel id="channel_two"><display-name>Channel Two</display-name></channel>
  <programme start="20990101100000" stop="20990101110000" channel="channel_one"><title>A</title></programme>
  <programme start="20990101100000" stop="20990101110000" channel="channel_two"><title>B</title></programme>
</tv>
)";

// Every way a record can end: stored, attached to a clump, skipped, or rejected for each reason.
constexpr char kEveryOutcome[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<tv>
  <channel id="one"><display-name>One</display-name></channel>
  <channel><display-name>Without id</display-name></channel>
  <programme start="20240301060000" stop="20240301070000" channel="one"><title>Kept</title></programme>
  <programme start="20240301080000" stop="20240301070000" channel="one"><title>Backwards</title></programme>
  <programme start="20240301080000" stop="20240301090000"><title>Nowhere</title></programme>
  <programme start="20240301090000" stop="20240301100000" channel="one"><desc>Untitled</desc></programme>
  <programme start="20240301100000" stop="20240301110000" channel="elsewhere"><title>Unknown channel</title></programme>
  <programme start="20240301110000" stop="20240301120000" channel="one" clumpidx="0/3"><title>First</title></programme>
  <programme start="20240301110000" stop="20240301120000" channel="one" clumpidx="1/3"><title>Second</title></programme>
  <programme start="20240301110000" stop="20240301120000" channel="one" clumpidx="2/3"><title>Third</title></programme>
  <programme start="20240301130000" stop="20240301140000" channel="one" clumpidx="1/2"><title>Clump without its first</title></programme>
  <programme start="20240301140000" stop="20240301150000" channel="elsewhere" clumpidx="0/2"><title>Elsewhere first</title></programme>
  <programme start="20240301140000" stop="20240301150000" channel="elsewhere" clumpidx="1/2"><title>Elsewhere second</title></programme>
</tv>
)";

constexpr char kEveryOutcomeSummary[] =
    "Import summary: 2 channels read (1 without id), 11 programmes read; 4 schedule entries added "
    "(2 whose channel was not found), 2 programs attached to clumps, 1 clump members skipped; "
    "rejected: 1 with broken times, 1 without channel, 1 without title, 1 for other reasons";

class RunTest : public ProgramTest {
 protected:
  RunTest() {
    WriteFile(work + "/two.xml", kTwoChannels);
    WriteFile(work + "/every.xml", kEveryOutcome);
    WriteFile(
        work + "/broken.xml",
        "<tv>\n<channel id=\"channel_one\"><display-name>Channel One</display-name></channel>\n"
        "<programme start=\"20990101100000\" stop=\"20990101110000\" channel=\"channel_one\">"
        "<title>A</title></programme>\n<channel id=\"channel_two\"><display-name>Two\n"
        "</channel></tv>\n");
  }
};

// Without a user interface nobody can be asked for a file, so a run without an existing one
// fails and says why on standard error and in the log; on a terminal the prompt asks, and its
// cancel ends the run as a success. The same for both jobs.
TEST_F(RunTest, WithoutAListingsFileOnlyATerminalAsks) {
  const std::string usage = "RUZOZAZE.exe /x /c[:numdays] /o:numminutes";
  const std::string missing =
      "Cannot read XMLTV file '/no/such/file.xml': No such file or directory";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"/no/such/file.xml"}, missing},
      {{"/x", "/no/such/file.xml"}, missing},
      {{}, usage},
      {{"/x"}, usage}};
  for (const auto& [given, error] : cases) {
    SCOPED_TRACE(testing::PrintToString(given));
    std::filesystem::remove(program + ".log");
    std::vector<std::string> args = given;
    args.insert(args.begin(), "/Logging:301");
    auto r = Run(args);
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_TRUE(r.err.starts_with(error)) << r.err;
    EXPECT_TRUE(LogShows(" ERROR: " + error)) << LogText();

    ExportEnvironment();
    args = given;
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

TEST_F(RunTest, OptionsRegistryAndServicesFileReachTheJob) {
  auto r = Run({"/Logging:101", "/c:7", "-o:\"90\"", "two.xml"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(LogShows(" TRACE: Removing entries older than 7 days\r\n"));
  EXPECT_TRUE(LogShows(" TRACE: Adding 90 minutes to the start and end times of all programs\r\n"));
  EXPECT_EQ(Rows("SELECT channel_id, name, coalesce(icon, ''), e.start_time FROM services s "
                 "JOIN schedule_entries e ON e.service_id = s.id ORDER BY channel_id"),
            (std::vector<std::string>{
                "channel_one|Channel One|https://example.com/one.jpg|2099-01-01 11:30:00",
                "channel_two|Channel Two||2099-01-01 11:30:00"}));
  EXPECT_EQ(Value("SELECT value FROM metadata WHERE key = 'source_description'"),
            "XMLTV data read from: two.xml");
  EXPECT_EQ(ChannelsText(), "channel_one\r\nchannel_two\r\n");

  WriteFile(registry,
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\"
            "Configuration\\EPG]\r\n\"Old data days\"=dword:0000000e\r\n");
  WriteFile(work + "/channels.txt", "kept\r\n");
  WriteFile(work + "/list.txt", "channel_two\r\nchannel_one\n");
  EXPECT_EQ(Run({"/Logging:101", "/s:list.txt", "two.xml"}).exitCode, 0);
  EXPECT_TRUE(LogShows("Removing entries older than 14 days"));
  EXPECT_EQ(ChannelsText(), "kept\r\n");
  EXPECT_EQ(Rows("SELECT channel_id, position FROM services ORDER BY position"),
            (std::vector<std::string>{"channel_two|1", "channel_one|2"}));

  std::filesystem::remove(program + ".log");
  EXPECT_EQ(Run({"/Logging:101", "/c", "every.xml"}).exitCode, 0);
  EXPECT_TRUE(LogShows(" TRACE: Deleting whole database\r\n"));
  EXPECT_FALSE(LogShows("Removing entries older than"));
  EXPECT_EQ(Value("SELECT group_concat(channel_id) FROM services"), "one");
}

TEST_F(RunTest, BrokenAndUnreadableFilesFail) {
  EXPECT_EQ(Run({"/Logging:301", "broken.xml"}).exitCode, -1);
  EXPECT_TRUE(LogShows(" ERROR: XML error in 'broken.xml' at line 5, column 3: mismatched tag\r\n"))
      << LogText();
  EXPECT_EQ(Value("SELECT name FROM services"), "Channel One");
  // The extraction keeps the lines before the error.
  EXPECT_EQ(Run({"/x", "broken.xml"}).exitCode, -1);
  EXPECT_EQ(ChannelsText(), "channel_one\r\n");

  ASSERT_EQ(Run({"two.xml"}).exitCode, 0);
  std::vector<std::string> before = Rows("SELECT * FROM schedule_entries");
  std::filesystem::create_directory(work + "/folder.xml");
  EXPECT_EQ(Run({"/Logging:301", "/c", "folder.xml"}).exitCode, -1);
  EXPECT_TRUE(LogShows(" ERROR: Cannot read XMLTV file 'folder.xml'"));
  WriteFile(work + "/empty.xml", "");
  EXPECT_EQ(Run({"/c", "empty.xml"}).exitCode, -1);
  EXPECT_EQ(Rows("SELECT * FROM schedule_entries"), before);
}

TEST_F(RunTest, ExtractWritesOneLinePerChannelWithAnIdInDocumentOrder) {
  WriteFile(work + "/channels.txt", "old\r\n");
  WriteFile(work + "/ids.xml",
            "<tv><channel id=\"a\"/><channel><display-name>no id</display-name></channel>"
            "<channel id=\"c\"/><channel id=\"a\"/><channel id=\"AT&amp;T\"/><channel id=\"\"/>"
            "<programme channel=\"p\" start=\"2026\"><title>t</title></programme>"
            "<group><channel id=\"deep\"/></group></tv>");
  EXPECT_EQ(Run({"/x", "ids.xml"}).exitCode, 0);
  EXPECT_EQ(ChannelsText(), "a\r\nc\r\na\r\nAT&T\r\n\r\ndeep\r\n");
  EXPECT_FALSE(std::filesystem::exists(database));
  // No channel: no file, and the old one is gone.
  WriteFile(work + "/none.xml", "<tv><programme channel=\"p\"><title>t</title></programme></tv>");
  EXPECT_EQ(Run({"/x", "none.xml"}).exitCode, 0);
  EXPECT_FALSE(ChannelsFileExists());
}

// The summary counts every outcome once, stays off the screen of unattended runs, ends failed
// imports too, and on a terminal is the last word, below the finished dialog.
TEST_F(RunTest, ImportSummary) {
  auto r = Run({"/Logging:101", "every.xml"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_TRUE(LogShows(std::string(" TRACE: ") + kEveryOutcomeSummary + "\r\n")) << LogText();
  EXPECT_EQ(Count("schedule_entries"), 4);
  EXPECT_EQ(Count("schedule_entry_programs"), 2);

  EXPECT_EQ(Run({"/Logging:101", "broken.xml"}).exitCode, -1);
  EXPECT_TRUE(
      LogShows(" TRACE: Import summary: 1 channels read (0 without id), 1 programmes "
               "read; 1 schedule entries added"));

  ExportEnvironment();
  testing_support::PtySession session({program, "/c", "every.xml"}, work);
  EXPECT_EQ(session.Finish(), 0);
  std::string screen = testing_support::WithoutControlSequences(session.Output());
  size_t summary = screen.find(kEveryOutcomeSummary);
  ASSERT_NE(summary, std::string::npos) << screen;
  EXPECT_LT(screen.rfind("XMLTV import finished"), summary);
  EXPECT_LT(screen.rfind("Press Ctrl-C to cancel"), summary);
  EXPECT_EQ(testing_support::CountOf(screen, "Import summary: "), 1u);
}

// The log file beside the program: a header and a footer for each run that owns it, none for a
// run that inherits the code; with the debugger switch the same goes to the trace companion
// when it is loaded, else to standard error.
TEST_F(RunTest, LogFileAndUsage) {
  for (int run = 0; run < 2; ++run) {
    testing_support::RunResult r = Run({"/Logging:101", "-h", "two.xml"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Command line options\nRUZOZAZE.exe /x /c[:numdays]"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(database));
  std::string text = LogText(), stars(75, '*');
  EXPECT_TRUE(text.starts_with(stars + "\r\nLog started on ")) << text;
  EXPECT_EQ(testing_support::CountOf(text, "Log started on "), 2u);
  EXPECT_EQ(testing_support::CountOf(text, "Running time "), 2u);
  const std::string inOrder[] = {
      "Log file for Glimmerbox (https://glimmerbox.example). Put '/Logging:<code>' on \r\n",
      "Current code is 0x101\r\n\r\nProcess ID:           0x",
      "CommandLine is:       '\"" + program + "\" /Logging:101 -h two.xml'\r\n",
      "Current directory is: '" + work + "'\r\n\r\n",
      "Module starting to log: '" + program + "'\r\n",
      "\r\nLog ended on ",
      "\r\nRunning time ",
      stars + "\r\n\r\n",
  };
  size_t at = 0;
  for (const std::string& piece : inOrder) {
    at = text.find(piece, at);
    ASSERT_NE(at, std::string::npos) << piece;
  }

  std::filesystem::remove(program + ".log");
  EXPECT_EQ(Run({"/h"}, {{"logging", "00000101"}}).exitCode, 0);
  text = LogText();
  EXPECT_TRUE(text.starts_with("Module starting to log: '" + program + "'\r\n")) << text;
  EXPECT_TRUE(LogShows(" TRACE: RUZOZAZE called with command line: '/h'\r\n"));
  EXPECT_FALSE(LogShows("Log started on") || LogShows("Running time"));

  EXPECT_NE(Run({"/Logging:102", "/h"}).err.find("Module starting to log: '" + program),
            std::string::npos);
  std::string library = std::filesystem::path(RUZOZAZE_BINARY).parent_path().string();
  auto traced = Run({"/Logging:102", "/h"},
                    {{"LD_LIBRARY_PATH", library}, {"TREVANCE_FILE", dir / "trace.txt"}});
  EXPECT_EQ(traced.err, "");
  std::string trace = testing_support::ReadFile(dir / "trace.txt");
  EXPECT_TRUE(trace.starts_with(stars));
  EXPECT_NE(trace.find("Running time "), std::string::npos);
}

}  // namespace
