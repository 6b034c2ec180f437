// The import job in this process against the real component, on a database in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "epgdb/component.h"
#include "import/epg_database.h"
#include "platform/com/com.h"
#include "platform/ui/none/none_backend.h"
#include "resources/resources.h"
#include "tests/support/process_log.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"
#include "tests/support/sqlite_query.h"

namespace {

using Lines = std::vector<std::string>;
using namespace testing_support;

// The times `what` occurs in `text`.
size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != text.npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// A programme with the attributes, or on channel one from `start` to `stop` with more attributes.
std::string Programme(const std::string& attributes, const std::string& children) {
  return "<programme " + attributes + ">" + children + "</programme>\n";
}
std::string Programme(const std::string& start, const std::string& stop,
                      const std::string& children, const std::string& more = "") {
  return Programme("start=\"" + start + "\" stop=\"" + stop + "\" channel=\"one\"" + more,
                   children);
}
std::string Tv(const std::string& body) {
  return "<tv>\n<channel id=\"one\"><display-name>One</display-name></channel>\n" + body + "</tv>";
}

class ImportJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::current_path(dir.path());  // where channels.txt is written
    setenv("GLIMMERBOX_REGISTRY", (dir / "registry.reg").c_str(), 1);
    setenv("GLIMMERBOX_EPG_DB", database.c_str(), 1);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    epgdb::RegisterComponent();
    auto backend = std::make_unique<ScriptedBackend>();
    ui = backend.get();
    platform::ui::InstallBackend(std::move(backend));
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow();
    options.m_strFileName = dir / "listings.xml";
  }
  void TearDown() override {
    dialog.DestroyWindow();
    platform::ui::InstallBackend(std::make_unique<platform::ui::NoneBackend>());
    epgdb::UnregisterComponent();
    CoUninitialize();
    std::filesystem::current_path(previousFolder);
  }

  // Writes the listings and runs the job as the program does: Import when Open gave 0. The log
  // written meanwhile goes to `log`.
  bool Run(const std::string& listings) {
    WriteFile(dir / "listings.xml", listings);
    LogSlice slice;
    bool imported = false;
    {
      CEPGDataBase job(options, dialog);
      imported = job.Open() == 0 && job.Import();
    }
    log = slice.Text();
    return imported;
  }
  bool Logged(const std::string& line) const { return log.find(" " + line + "\r\n") != log.npos; }
  Lines Rows(const std::string& sql) const { return QueryRows(database, sql); }

  std::filesystem::path previousFolder = std::filesystem::current_path();
  TempDir dir;
  std::string database = dir / "epg.sqlite";
  ImportOptions options;
  ScriptedBackend* ui = nullptr;
  CProgressDialog dialog;
  std::string log;
};

// The children are written in an order unlike the one they are read in; credits keep their own.
// Flags are "yes" exactly, numbers read as atol does. The dialog shows each step and title.
TEST_F(ImportJobTest, ProgrammeChildrenFillTheProgram) {
  ASSERT_TRUE(Run(
      Tv(Programme("20261207180000 +0100", "20261207184500 +0100",
                   "<star-rating><value>3/5</value></star-rating><rating><value>PG</value></rating>"
                   "<subtitles type=\"teletext\"/><new/><last-chance/><premiere>First</premiere>"
                   "<previously-shown/><audio><stereo>stereo</stereo><present>yes</present></audio>"
                   "<video><aspect>16:9</aspect><colour>no</colour><present>yes</present></video>"
                   "<episode-num>2.11.0/1</episode-num><country>GB</country><url>http://u</url>"
                   "<icon src=\"n.png\"/><length units=\"hours\">45</length><orig-language>fr"
                   "</orig-language><language>en</language><category>News</category><category>"
                   "Affairs</category><date>1999-05-01</date><credits><director>Ann</director>"
                   "<actor>Al</actor><writer>Will</writer><presenter>Pat</presenter><actor>Bo"
                   "</actor><director>Dan</director><actor>Cy</actor></credits><desc>In brief."
                   "</desc><desc>Le jour.</desc><sub-title>Late</sub-title><title>Evening News"
                   "</title><title>Abendnachrichten</title>") +
         Programme("202612080200", "202612080300",
                   "<title>B</title><video><present>Yes</present></video><audio><present>YES"
                   "</present></audio><subtitles/><desc/><date>n/a</date><length>90 min</length>"
                   "<credits><actor/><actor>E</actor></credits>"))));
  EXPECT_EQ(
      Rows("SELECT * FROM programs ORDER BY id"),
      (Lines{"1|Evening News|Late|In brief.|News|Ann, Dan|Al, Bo, Cy|Pat|1999|3/5|teletext|1|"
             "PG|GB|en|fr|2.11.0/1|0|16:9|1|1|stereo|45|1|1|1",
             "2|B|NULL||NULL|NULL|, E|NULL|0|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
             "0|0|NULL|90|NULL|NULL|NULL"}));
  EXPECT_TRUE(Logged("TRACE: Removing entries older than 0 days")) << "without option or registry";
  Lines shown;  // by the dialog's main status line
  for (const std::string& item : ui->itemHistory) {
    if (item.starts_with(std::to_string(IDC_MAIN_STATUS) + ":"))
      shown.push_back(item.substr(item.find(':') + 1));
  }
  EXPECT_EQ(shown, (Lines{"Opening database...", "Removing old entries from database...",
                          "Initialising database...", "Building XML tree...", "One", "Evening News",
                          "B", "Saving database..."}));
}

// Equal times or a blank title reject a programme. Clumps share the entry of their first
// programme: a clump index starting "0" (or blank) makes the entry, "1" joins the entry of its
// slot, any other is skipped.
TEST_F(ImportJobTest, RejectedProgrammesAndClumps) {
  const std::string six = "20261207180000", seven = "20261207190000", eight = "20261207200000";
  EXPECT_TRUE(Run(
      Tv(Programme(six, six, "<title>Equal times</title>") +
         Programme(six, seven, "<title>   </title>") +
         Programme("20261207170000", "20261207170001", "<title>One second</title>") +
         Programme(six, seven, "<title>First half</title>", " clumpidx=\"0/2\"") +
         Programme(six, seven, "<title>Second half</title>", " clumpidx=\" 1/2 \"") +
         Programme(six, seven, "<title>Third part</title>", " clumpidx=\"2/3\"") +
         Programme(six, seven, "<title>Tenth part</title>", " clumpidx=\"10/12\"") +
         Programme(seven, eight, "", " clumpidx=\"0/2\"") +
         Programme(seven, eight, "<title>Orphan</title>", " clumpidx=\"1/2\"") +
         Programme(eight, "20261207210000", "<title>Blank index</title>", " clumpidx=\"  \""))));
  EXPECT_EQ(Rows("SELECT e.slot_key, p.title FROM schedule_entries e JOIN programs p ON p.id = "
                 "e.program_id ORDER BY 1"),
            (Lines{"one::20261207170000::20261207170001|One second",
                   "one::20261207180000::20261207190000|First half",
                   "one::20261207200000::20261207210000|Blank index"}));
  EXPECT_EQ(Rows("SELECT x.seq, p.title FROM schedule_entry_programs x "
                 "JOIN programs p ON p.id = x.program_id ORDER BY 1"),
            (Lines{"1|Second half", "2|Tenth part"}));
  EXPECT_EQ(Count(log, " ERROR: Program has broken times\r\n"), 1u) << log;
  EXPECT_EQ(Count(log, " ERROR: Program has no title\r\n"), 2u) << log;
  EXPECT_TRUE(
      Logged("TRACE: Skipping additional clump: 'Third part' for event one::" + six + "::" + seven))
      << log;
  EXPECT_TRUE(Logged("TRACE: ScheduleEntry cannot be clumped: Orphan")) << log;
}

// A channel with an id becomes a service: its first display name (else its id) and first icon.
// A programme finds its service among the channels read, else among those stored before, else
// has none; its provider is the supplier of a <tv> root, else XMLTV.
TEST_F(ImportJobTest, ServicesAndProviders) {
  ASSERT_TRUE(
      Run("<tv>\n<channel id=\"known\"><display-name>Known</display-name></channel>\n"
          "<programme supplier=\"Other\"/></tv>"));
  WriteFile(dir / "channels.txt", "stale\r\n");
  const std::string on = "start=\"20991207180000\" stop=\"20991207190000\" channel=";
  ASSERT_TRUE(Run(R"(<tv supplier="Listings Inc">
<channel id="bare"/>
<channel id="full"><display-name>Full One</display-name><display-name>Voll</display-name>
<icon src="f.png"/><icon src="o.png"/></channel>
<channel id="nosrc"><icon/></channel>
<channel id="emptysrc"><display-name></display-name><icon src=""/></channel>
<channel><display-name>No id</display-name></channel>
<channel id="Bare"/>
)" + Programme(on + "\"full\"", "<title>Mapped</title>") +
                  Programme(on + "\"known\"", "<title>Stored</title>") +
                  Programme(on + "\"ghost\"", "<title>Ghost</title>") + "</tv>\n"));
  EXPECT_EQ(Rows("SELECT channel_id, name, icon FROM services"),
            (Lines{"known|Known|NULL", "bare|bare|NULL", "full|Full One|f.png", "nosrc|nosrc|NULL",
                   "emptysrc||NULL", "Bare|Bare|NULL"}));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "bare\r\nfull\r\nnosrc\r\nemptysrc\r\nBare\r\n");
  EXPECT_TRUE(Logged("TRACE: Cannot find channel: ghost")) << log;
  ASSERT_TRUE(
      Run("<guide supplier=\"Other\">" + Programme(on + "\"x\"", "<title>X</title>") + "</guide>"));
  EXPECT_EQ(Rows("SELECT p.title, s.channel_id, v.name, v.url FROM schedule_entries e "
                 "JOIN programs p ON p.id = e.program_id LEFT JOIN services s ON s.id = "
                 "e.service_id JOIN providers v ON v.id = e.provider_id ORDER BY 1"),
            (Lines{"Ghost|NULL|Listings Inc|NULL", "Mapped|full|Listings Inc|NULL",
                   "Stored|known|Listings Inc|NULL", "X|NULL|XMLTV|https://xmltv.org"}));
  EXPECT_EQ(Rows("SELECT count(*) FROM providers"), Lines{"2"});
}

// A file that breaks off before its first record is not saved, so that a broken download never
// empties the guide. Without the component, or without a database to open, the job alerts and
// imports nothing; a whole clean that cannot be asked for is logged.
TEST_F(ImportJobTest, FailedRunsBeforeARecordLeaveTheGuide) {
  ASSERT_TRUE(Run(Tv("")));
  options.m_bCleanAll = true;
  EXPECT_FALSE(Run("<tv>\n<channel id=\"b\"\n"));
  EXPECT_EQ(Rows("SELECT channel_id FROM services"), Lines{"one"});

  const std::string alert = "USERALERT: Unrecoverable internal error: Cannot ";
  const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
  for (const char* variable : {"GLIMMERBOX_EPG_DB", "XDG_DATA_HOME", "HOME"})
    unsetenv(variable);
  EXPECT_FALSE(Run(Tv("")));
  setenv("HOME", home.c_str(), 1);
  EXPECT_TRUE(Logged("ERROR: Failed to clean database")) << log;
  EXPECT_TRUE(Logged(alert + "open EPG database.")) << log;

  epgdb::UnregisterComponent();
  EXPECT_FALSE(Run(Tv("")));
  EXPECT_EQ(Count(log, alert + "create EPG database. Did you install Almanor?"), 2u) << log;
  EXPECT_EQ(ui->boxes.size(), 3u);
}

// The real program imports every listings file of the samples folder into a real database: the
// program of each schedule entry holds what the independent model (expected_programs.py) reads
// from the file, and the log has one "Unused" line for each child the model finds unread.
TEST(ProgrammeFields, EachEntryKeepsTheFieldsOfItsProgramme) {
  const std::filesystem::path samples = RUZOZAZE_SAMPLES_DIR;
  if (!std::filesystem::exists(samples))
    GTEST_SKIP() << "no samples folder " << samples.string();
  for (const auto& sample : std::filesystem::directory_iterator(samples)) {
    const std::string file = sample.path().string();
    if (sample.path().extension() != ".xml")
      continue;
    SCOPED_TRACE(file);
    TempDir dir;
    RunOptions run{CopyProgram(dir), {"/Logging:101", file}, {}, {}, dir.path()};
    run.env = {{"RUZOZAZE_UI", "none"},
               {"GLIMMERBOX_EPG_DB", dir / "epg.sqlite"},
               {"GLIMMERBOX_REGISTRY", dir / "registry.reg"},
               {"HOME", dir.path()},
               {"TZ", "UTC0"}};
    run.unset = {"XDG_DATA_HOME", "DISPLAY", "WAYLAND_DISPLAY"};
    RunProgram(run);
    const std::string script = RUZOZAZE_SOURCE_DIR "/tests/import/expected_programs.py";
    RunResult model = RunProgram({RUZOZAZE_PYTHON, {script, file}, {}, {}, {}});
    ASSERT_EQ(model.exitCode, 0) << model.err;
    std::set<std::string> expected;  // one line per entry, then the count of unused children
    std::istringstream lines(model.out);
    for (std::string line; std::getline(lines, line);)
      expected.insert(line);
    size_t unused = Count(ReadFile(run.program + ".log"), " TRACE: Unused: '");
    EXPECT_EQ(expected.count(std::to_string(unused)), 1u) << unused << " unused";
    if (!std::filesystem::exists(dir / "epg.sqlite"))
      continue;
    for (std::string row : QueryRows(dir / "epg.sqlite",
                                     "SELECT e.slot_key, p.* FROM "
                                     "schedule_entries e JOIN programs p ON p.id = e.program_id")) {
      size_t id = row.find('|') + 1;  // the program's id is the database's own
      EXPECT_EQ(expected.count(row.erase(id, row.find('|', id) + 1 - id)), 1u) << row;
    }
  }
}

}  // namespace
