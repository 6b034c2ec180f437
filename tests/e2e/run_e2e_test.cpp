// The program from its command line to its exit code, its log, channels.txt and the rows stored:
// file choice, options, both jobs, the files they cannot read, the summary and the log file.
#include <filesystem>

#include "tests/support/process_log.h"
#include "tests/support/program_fixture.h"
#include "tests/support/pty_session.h"

namespace {

using testing_support::CountOf;
using testing_support::InOrder;

// Channel two's times are in UTC.
constexpr char kTwoChannels[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<tv>
  <channel id="channel_one"><display-name>Channel One</display-name><icon src="https://example.com/one.jpg"/></channel>
  <channel id="channel_two"><display-name>Channel Two</display-name></channel>
  <programme start="20990101100000" stop="20990101110000" channel="channel_one"><title>A</title></programme>
  <programme start="20990101100000 UTC" stop="20990101110000 UTC" channel="channel_two"><title>B</title></programme>
</tv>
)";

// Every way a record can end: stored, attached to a clump, skipped, or rejected for each reason.
constexpr char kProgrammes[] = RUZOZAZE_SOURCE_DIR "/tests/e2e/programmes.xml";
constexpr char kProgrammesSummary[] =
    "Import summary: 2 channels read (1 without id), 21 programmes read; 11 schedule entries "
    "added (2 whose channel was not found), 3 programs attached to clumps, 1 clump members "
    "skipped; "
    "rejected: 2 with broken times, 1 without channel, 2 without title, 1 for other reasons";

constexpr char kMissing[] = "Cannot read XMLTV file '/no/such/file.xml': No such file or directory";
constexpr char kUsage[] = "RUZOZAZE.exe /x /c[:numdays] /o:numminutes";

class RunTest : public ProgramTest {
 protected:
  RunTest() {
    Write("two.xml", kTwoChannels);
    Write("broken.xml",
          "<tv>\n<channel id=\"channel_one\"><display-name>Channel One</display-name></channel>\n"
          "<programme start=\"20990101100000\" stop=\"20990101110000\" channel=\"channel_one\">"
          "<title>A</title></programme>\n<channel id=\"channel_two\"><display-name>Two\n"
          "</channel></tv>\n");
    Write("ids.xml",
          "<tv><channel id=\"a\"/><channel><display-name>no id</display-name></channel>"
          "<channel id=\"c\"/><channel id=\"a\"/><channel id=\"AT&amp;T\"/><channel id=\"\"/>"
          "<programme channel=\"p\" start=\"2026\"><title>t</title></programme>"
          "<group><channel id=\"deep\"/></group></tv>");
    Write("none.xml", "<tv><programme channel=\"p\"><title>t</title></programme></tv>");
    const std::string on = "<programme start=\"20990102000000\" stop=\"20990102010000\" channel=";
    Write("services.xml", R"(<tv supplier="Listings Inc">
<channel id="bare"/>
<channel id="full"><display-name>Full One</display-name><display-name>Voll</display-name>
<icon src="f.png"/><icon src="o.png"/></channel>
<channel id="nosrc"><icon/></channel>
<channel id="emptysrc"><display-name></display-name><icon src=""/></channel>
<channel id="Bare"/>
)" + on + "\"full\"><title>Mapped</title></programme>" +
                              on + "\"channel_one\"><title>Stored</title></programme>" + on +
                              "\"ghost\"><title>Ghost</title></programme></tv>\n");
    Write("guide.xml",
          "<guide supplier=\"Other\">" + on + "\"x\"><title>X</title></programme></guide>");
    Write("list.txt", "channel_two\r\n \t\r\n\nchannel_one\nnot-a-service\nchannel_two\n");
    testing_support::WriteFile(
        registry,
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\"
        "Configuration\\EPG]\r\n\"Old data days\"=dword:0000000e\r\n");
    std::filesystem::create_directory(work + "/folder.xml");
  }
};

// Each run on what the runs before it left.
TEST_F(RunTest, CommandLinesGiveTheirExitCodeLogChannelsAndRows) {
  // Runs the program in a zone three hours east of UTC and checks its exit code, the start of its
  // standard error (none: both streams empty), pieces of its log (with a leading '!': absent),
  // the rows of `sql` (no query: no database) and channels.txt ("-": no
  // such file; "": not checked).
  auto Step = [&](const std::vector<std::string>& args, int exitCode, const std::string& output,
                  const std::vector<std::string>& logged, const std::string& sql,
                  const std::vector<std::string>& rows, const std::string& channels) {
    SCOPED_TRACE(testing::PrintToString(args));
    std::filesystem::remove(program + ".log");
    testing_support::RunResult r = Run(args, {{"TZ", "<+03>-3"}});
    EXPECT_EQ(r.exitCode, exitCode);
    EXPECT_TRUE(output.empty() ? r.out + r.err == "" : r.err.starts_with(output)) << r.out << r.err;
    for (const std::string& piece : logged)
      EXPECT_NE(LogShows(piece.substr(piece[0] == '!')), piece[0] == '!') << piece << LogText();
    EXPECT_EQ(sql.empty() ? std::vector<std::string>{} : Rows(sql), rows);
    EXPECT_EQ(std::filesystem::exists(database), !sql.empty());
    if (!channels.empty()) {
      EXPECT_EQ(ChannelsFileExists() ? ChannelsText() : "-", channels);
    }
  };
  // Without a user interface nobody can be asked for a file: the run fails and says why.
  Step({"/Logging:301", "/no/such/file.xml"}, -1, kMissing,
       {std::string(" ERROR: ") + kMissing + "\r\n"}, "", {}, "-");
  Step({"/Logging:301", "/x"}, -1, kUsage, {std::string(" ERROR: ") + kUsage}, "", {}, "-");
  // One line per channel with an id, in document order, replacing the file; no channel: no
  // file. A broken file keeps what came before its error, in both jobs.
  Step({"/x", "broken.xml"}, -1, "", {}, "", {}, "channel_one\r\n");
  Step({"/x", "ids.xml"}, 0, "", {}, "", {}, "a\r\nc\r\na\r\nAT&T\r\n\r\ndeep\r\n");
  Step({"/x", "none.xml"}, 0, "", {}, "", {}, "-");
  Step({"/Logging:101", "broken.xml"}, -1, "",
       {" ERROR: XML error in 'broken.xml' at line 5, column 3: mismatched tag\r\n",
        " TRACE: Import summary: 1 channels read (0 without id), 1 programmes read; 1 schedule "
        "entries added"},
       "SELECT name FROM services", {"Channel One"}, "channel_one\r\n");
  // The registry's days; a services file ranks the services by its lines that are not blank (the
  // first of a repeated id counts) and leaves channels.txt alone.
  Step({"/Logging:101", "/s:list.txt", "two.xml"}, 0, "",
       {" TRACE: Removing entries older than 14 days\r\n"},
       "SELECT channel_id, position FROM services ORDER BY position",
       {"channel_two|1", "channel_one|2"}, "channel_one\r\n");
  Step({"/Logging:101", "/c:7", "-o:\"90\"", "two.xml"}, 0, "",
       {" TRACE: Removing entries older than 7 days\r\n",
        " TRACE: Adding 90 minutes to the start and end times of all programs\r\n"},
       "SELECT channel_id, name, icon, start_time, end_time, m.value FROM services s JOIN "
       "schedule_entries e ON e.service_id = s.id, metadata m WHERE m.key = 'source_description' "
       "ORDER BY channel_id",
       {"channel_one|Channel One|https://example.com/one.jpg|2099-01-01 11:30:00|2099-01-01 "
        "12:30:00|XMLTV data read from: two.xml",
        "channel_two|Channel Two|NULL|2099-01-01 14:30:00|2099-01-01 15:30:00|XMLTV data read "
        "from: two.xml"},
       "channel_one\r\nchannel_two\r\n");
  // An unknown option is listed in the log and changes nothing.
  Step({"/Logging:101", "--frobnicate", "two.xml"}, 0, "",
       {" TRACE: Commandline argument: '-FROBNICATE' => ''", " TRACE: Import summary: 2 channels"},
       "SELECT count(*) FROM services", {"2"}, "");
  // A channel with an id becomes a service: its first display name (else its id) and first icon.
  // A programme's service is a channel read, else one stored before, else none; its provider is
  // the supplier of a <tv> root, else XMLTV, one row for each. The dialog shows each step and
  // each title.
  Step({"/Logging:101", "services.xml"}, 0, "", {},
       "SELECT channel_id, name, icon FROM services WHERE channel_id NOT LIKE 'channel_%'",
       {"bare|bare|NULL", "full|Full One|f.png", "nosrc|nosrc|NULL", "emptysrc||NULL",
        "Bare|Bare|NULL"},
       "bare\r\nfull\r\nnosrc\r\nemptysrc\r\nBare\r\n");
  const std::string shown = " TRACE: CProgressDialog::AddString: ";
  Step({"/Logging:101", "guide.xml"}, 0, "",
       {shown + "Opening database...\r\n", shown + "Removing old entries from database...\r\n",
        shown + "Initialising database...\r\n", shown + "Building XML tree...\r\n", shown + "X\r\n",
        shown + "Saving database...\r\n"},
       "SELECT p.title, s.channel_id, v.name, v.url, (SELECT count(*) FROM providers) FROM "
       "schedule_entries e JOIN programs p ON p.id = e.program_id LEFT JOIN services s ON s.id = "
       "e.service_id JOIN providers v ON v.id = e.provider_id WHERE e.start_time LIKE "
       "'2099-01-02%' ORDER BY 1",
       {"Ghost|NULL|Listings Inc|NULL|2", "Mapped|full|Listings Inc|NULL|2",
        "Stored|channel_one|Listings Inc|NULL|2", "X|NULL|XMLTV|https://xmltv.org|2"},
       "");
  // The summary counts every outcome once and stays off the screen of unattended runs (the
  // entries are the model's in SampleTest). A whole clean waits for a file that can be read.
  const std::string guide =
      "SELECT (SELECT group_concat(channel_id) FROM services), count(*), (SELECT count(*) FROM "
      "schedule_entry_programs) FROM schedule_entries";
  Step({"/Logging:101", "/c", kProgrammes}, 0, "",
       {" TRACE: Deleting whole database\r\n", "!Removing entries older than",
        std::string(" TRACE: ") + kProgrammesSummary + "\r\n",
        " TRACE: Cannot find channel: elsewhere\r\n", " ERROR: Program has broken times\r\n"},
       guide, {"one|10|3"}, "one\r\n");
  Step({"/Logging:301", "/c", "folder.xml"}, -1, "",
       {" ERROR: Cannot read XMLTV file 'folder.xml'"}, guide, {"one|10|3"}, "");
  // With nowhere to keep the guide, not even a whole clean can be asked for.
  EXPECT_EQ(
      Run({"/Logging:301", "/c", "two.xml"}, {{"GLIMMERBOX_EPG_DB", ""}, {"HOME", ""}}).exitCode,
      -1);
  EXPECT_TRUE(LogShows(" ERROR: Failed to clean database\r\n") &&
              LogShows(" USERALERT: Unrecoverable internal error: Cannot open EPG database.\r\n"))
      << LogText();
}

// On a terminal the prompt asks for the missing file, and its cancel ends the run as a success;
// the summary of an import is the last word, below the finished dialog.
TEST_F(RunTest, OnATerminal) {
  for (const std::string given : {"/no/such/file.xml", "/x"}) {
    testing_support::PtySession terminal(Options(program, {given}, {{"RUZOZAZE_UI", ""}}));
    EXPECT_NE(terminal.WaitFor("XMLTV Listings file (.xml) ["), std::string::npos)
        << terminal.Output();
    terminal.Type("\x04");
    EXPECT_EQ(terminal.Finish(), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(database) || ChannelsFileExists());

  testing_support::PtySession session(Options(program, {"/c", kProgrammes}, {{"RUZOZAZE_UI", ""}}));
  EXPECT_EQ(session.Finish(), 0);
  std::string screen = testing_support::WithoutControlSequences(session.Output());
  size_t summary = screen.find(kProgrammesSummary);
  ASSERT_NE(summary, std::string::npos) << screen;
  EXPECT_LT(screen.rfind("XMLTV import finished"), summary);
  EXPECT_LT(screen.rfind("Press Ctrl-C to cancel"), summary);
  EXPECT_EQ(CountOf(screen, "Import summary: "), 1u);
}

// The log file beside the program: a header and a footer for each run that owns it, none for a
// run that inherits the code, which appends; with the debugger switch the same goes to the trace
// companion when it is loaded, else to standard error.
TEST_F(RunTest, LogFileAndUsage) {
  testing_support::RunResult r = Run({"/Logging:101", "-h", "two.xml"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find(std::string("Command line options\n") + kUsage), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(database));
  EXPECT_EQ(Run({"/h"}, {{"logging", "00000101"}}).exitCode, 0);
  const std::string stars(75, '*'), text = LogText(), module = "Module starting to log: '";
  EXPECT_TRUE(text.starts_with(stars + "\r\nLog started on ")) << text;
  EXPECT_EQ(CountOf(text, stars), 2u);
  EXPECT_TRUE(InOrder(
      text,
      {"Current code is 0x101\r\n",
       "CommandLine is:       '\"" + program + "\" /Logging:101 -h two.xml'\r\n",
       "Current directory is: '" + work + "'\r\n\r\n", module + program + "'\r\n",
       "\r\nLog ended on ", "\r\nRunning time ", stars + "\r\n\r\n" + module + program + "'\r\n",
       " TRACE: RUZOZAZE called with command line: '/h'\r\n"}))
      << text;

  EXPECT_NE(Run({"/Logging:102", "/h"}).err.find("Module starting to log: '" + program),
            std::string::npos);
  std::string library = std::filesystem::path(RUZOZAZE_BINARY).parent_path().string();
  auto traced = Run({"/Logging:102", "/h"},
                    {{"LD_LIBRARY_PATH", library}, {"TREVANCE_FILE", dir / "trace.txt"}});
  EXPECT_EQ(traced.err, "");
  std::string trace = testing_support::ReadFile(dir / "trace.txt");
  EXPECT_TRUE(trace.starts_with(stars));
  EXPECT_NE(trace.find("Running time "), std::string::npos);

  // The answers on standard output need no user interface, not even a forced one that fails.
  const std::string usage = std::string("Command line options\n") + kUsage;
  const std::pair<const char*, std::string> answers[] = {
      {"--help", usage}, {"-?", usage}, {"--Version", "ruzozaze "}};
  for (const char* ui : {"none", "tty", "gtk"}) {
    for (const auto& [option, answer] : answers) {
      testing_support::RunResult r = Run({option, "two.xml"}, {{"RUZOZAZE_UI", ui}});
      EXPECT_EQ(r.exitCode, 0) << ui << option;
      EXPECT_TRUE(r.out.starts_with(answer) && r.err.empty()) << ui << option << r.out << r.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(database));
}

}  // namespace
