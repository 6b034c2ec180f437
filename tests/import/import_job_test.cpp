// The import job in this process against the real component, on a database in a temporary
// folder: what it stores, logs and shows, and how it fails when the component fails it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>

#include "epgdb/epg_database.h"
#include "import/epg_database.h"
#include "platform/com/com.h"
#include "platform/ui/none/none_backend.h"
#include "resources/resources.h"
#include "tests/support/run_program.h"
#include "tests/support/scripted_backend.h"
#include "tests/support/sqlite_query.h"
#include "tests/ui/process_log.h"

namespace {

using Lines = std::vector<std::string>;
using testing_support::ReadFile;
using testing_support::WriteFile;

// The calls of the component that fail: a method of the database ("Open", "GetServices", "Save"
// ...), or "Providers.Create", "Programs.Create", "Entries.Add", "Services.Add", which then hand
// out nothing.
std::set<std::string> g_failing;
bool Fails(const char* call) {
  return g_failing.count(call) > 0;
}

template <typename Interface>
HRESULT Nothing(Interface** out) {
  *out = nullptr;
  return E_FAIL;
}
struct NoPrograms : epgdb::ComObject<IPrograms, IID_IPrograms> {
  HRESULT Create(IProgram** program) override { return Nothing(program); }
};
struct NoProviders : epgdb::ComObject<IProviders, IID_IProviders> {
  HRESULT Create(IProvider** provider) override { return Nothing(provider); }
  HRESULT Lookup(BSTR, IProvider** provider) override { return Nothing(provider); }
};
struct NoEntries : epgdb::ComObject<IScheduleEntries, IID_IScheduleEntries> {
  HRESULT Find(BSTR, IScheduleEntry** entry) override { return Nothing(entry); }
  HRESULT Add(BSTR, IScheduleEntry** entry) override { return Nothing(entry); }
  HRESULT RemoveOlderThan(LONG) override { return S_OK; }
  HRESULT Reconcile(IScheduleEntry*) override { return S_OK; }
};
struct NoServices : epgdb::ComObject<IServices, IID_IServices> {
  HRESULT Find(BSTR, IService** service) override { return Nothing(service); }
  HRESULT Lookup(BSTR, IService** service) override { return Nothing(service); }
  HRESULT Add(BSTR, IService** service) override { return Nothing(service); }
};

// The real component, failing the calls of g_failing.
class FlakyDatabase : public epgdb::ComObject<IEPGDatabase, IID_IEPGDatabase> {
 public:
  HRESULT Open(VARIANT_BOOL* opened) override {
    *opened = VARIANT_FALSE;
    return Fails("Open") ? S_OK : real_->Open(opened);
  }
  HRESULT PrepareSave(LONG* result) override { return real_->PrepareSave(result); }
  HRESULT Close(LONG* result) override { return real_->Close(result); }
  HRESULT SetSourceDescription(BSTR text) override { return real_->SetSourceDescription(text); }
  HRESULT GetChannelLineups(IChannelLineups** out) override {
    return Fails("GetChannelLineups") ? Nothing(out) : real_->GetChannelLineups(out);
  }
  HRESULT GetPrograms(IPrograms** out) override {
    if (Fails("Programs.Create"))
      return epgdb::Deliver<IPrograms>(new NoPrograms, out);
    return Fails("GetPrograms") ? Nothing(out) : real_->GetPrograms(out);
  }
  HRESULT GetProviders(IProviders** out) override {
    if (Fails("Providers.Create"))
      return epgdb::Deliver<IProviders>(new NoProviders, out);
    return Fails("GetProviders") ? Nothing(out) : real_->GetProviders(out);
  }
  HRESULT GetScheduleEntries(IScheduleEntries** out) override {
    if (Fails("Entries.Add"))
      return epgdb::Deliver<IScheduleEntries>(new NoEntries, out);
    return Fails("GetScheduleEntries") ? Nothing(out) : real_->GetScheduleEntries(out);
  }
  HRESULT GetServices(IServices** out) override {
    if (Fails("Services.Add"))
      return epgdb::Deliver<IServices>(new NoServices, out);
    return Fails("GetServices") ? Nothing(out) : real_->GetServices(out);
  }
  HRESULT GetTunables(ITunables** out) override {
    return Fails("GetTunables") ? Nothing(out) : real_->GetTunables(out);
  }
  HRESULT Clean(VARIANT_BOOL* cleaned) override {
    *cleaned = VARIANT_FALSE;
    return Fails("Clean") ? S_OK : real_->Clean(cleaned);
  }
  HRESULT SetServicesFile(BSTR path) override { return real_->SetServicesFile(path); }
  HRESULT Save() override { return Fails("Save") ? E_FAIL : real_->Save(); }

 private:
  ComPtr<IEPGDatabase> real_ = ComPtr<IEPGDatabase>::Attach(new epgdb::EPGDatabase);
};

HRESULT CreateFlakyDatabase(REFIID iid, void** object) {
  auto* database = new FlakyDatabase;
  HRESULT hr = database->QueryInterface(iid, object);
  database->Release();
  return hr;
}

std::string Programme(const std::string& attributes, const std::string& children) {
  return "<programme " + attributes + ">" + children + "</programme>\n";
}
// A programme on channel one from `start` to `stop`, with more attributes.
std::string Programme(const std::string& start, const std::string& stop,
                      const std::string& children, const std::string& more = "") {
  return Programme("start=\"" + start + "\" stop=\"" + stop + "\" channel=\"one\"" + more,
                   children);
}
// A programme far ahead, so that no later run removes it as ended.
std::string On(const std::string& channel, const std::string& title, char day = '7') {
  return Programme(std::string("start=\"2099120") + day + "180000\" stop=\"2099120" + day +
                       "190000\" channel=\"" + channel + "\"",
                   "<title>" + title + "</title>");
}
std::string Tv(const std::string& body) {
  return "<tv>\n<channel id=\"one\"><display-name>One</display-name></channel>\n" + body +
         "</tv>\n";
}

class ImportJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::current_path(dir.path());  // where channels.txt is written
    setenv("GLIMMERBOX_REGISTRY", (dir / "registry.reg").c_str(), 1);
    setenv("GLIMMERBOX_EPG_DB", database.c_str(), 1);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    CoRegisterClass(CLSID_EPGDatabase, &CreateFlakyDatabase);
    auto backend = std::make_unique<testing_support::ScriptedBackend>();
    ui = backend.get();
    platform::ui::InstallBackend(std::move(backend));
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow();
    options.m_strFileName = dir / "listings.xml";
  }
  void TearDown() override {
    dialog.DestroyWindow();
    platform::ui::InstallBackend(std::make_unique<platform::ui::NoneBackend>());
    CoUnregisterClass(CLSID_EPGDatabase);
    CoUninitialize();
    g_failing.clear();
    std::filesystem::current_path(previousFolder);
  }

  // Writes the listings and runs the job as the program does: Import when Open gave 0. The log
  // written meanwhile goes to `log`.
  bool Run(const std::string& listings) {
    WriteFile(dir / "listings.xml", listings);
    testing_support::LogSlice slice;
    bool imported = false;
    {
      CEPGDataBase job(options, dialog);
      imported = job.Open() == 0 && job.Import();
    }
    log = slice.Text();
    return imported;
  }
  bool Logged(const std::string& line) const { return log.find(" " + line + "\r\n") != log.npos; }
  Lines Rows(const std::string& sql) const { return testing_support::QueryRows(database, sql); }
  Lines Entries() const {
    return Rows(
        "SELECT e.slot_key, e.start_time, e.end_time, p.title, s.channel_id, v.name "
        "FROM schedule_entries e JOIN programs p ON p.id = e.program_id "
        "LEFT JOIN services s ON s.id = e.service_id "
        "LEFT JOIN providers v ON v.id = e.provider_id ORDER BY e.slot_key");
  }
  std::filesystem::path previousFolder = std::filesystem::current_path();
  testing_support::TempDir dir;
  std::string database = dir / "epg.sqlite";
  ImportOptions options;
  testing_support::ScriptedBackend* ui = nullptr;
  CProgressDialog dialog;
  std::string log;
};

// The children are written in an order unlike the one they are read in; credits keep their own.
TEST_F(ImportJobTest, ProgrammeChildrenFillTheProgram) {
  ASSERT_TRUE(Run(Tv(
      Programme("20261207180000 +0100", "20261207184500 +0100",
                "<star-rating><value>3/5</value></star-rating><rating system=\"BBFC\"><value>PG"
                "</value></rating><subtitles type=\"teletext\"/><new/><last-chance/><premiere>"
                "First showing</premiere><previously-shown start=\"20250101\"/><audio><stereo>"
                "stereo</stereo><present>yes</present></audio><video><aspect>16:9</aspect><colour>"
                "no</colour><present>yes</present></video><episode-num>2.11.0/1</episode-num>"
                "<country>GB</country><url>http://example.org/news</url><icon src=\"n.png\"/>"
                "<length units=\"hours\">45</length><orig-language>fr</orig-language><language>"
                "en</language><category>News</category><category>Affairs</category><date>"
                "1999-05-01</date><credits><director>Ann Director</director><actor>Actor One"
                "</actor><writer>Will Writer</writer><presenter>Pat Presenter</presenter><actor>"
                "Actor Two</actor><director>Second Director</director><actor>Actor Three</actor>"
                "</credits><desc>The day in brief.</desc><desc>Le jour.</desc><sub-title>Late "
                "edition</sub-title><title>Evening News</title><title>Abendnachrichten</title>") +
      Programme("202612080100", "202612080200",
                "<title>A</title><video><present>no</present></video>") +
      Programme("202612080200", "202612080300",
                "<title>B</title><video><present>Yes</present><colour>yes</colour></video>"
                "<audio><present>YES</present></audio>") +
      Programme("202612080300", "202612080400",
                "<title>C</title><video><aspect>4:3</aspect></video><subtitles/><desc/><date>n/a"
                "</date><length units=\"minutes\">90 min</length><credits/>") +
      Programme("202612080400", "202612080500",
                "<title>D</title><credits><actor/><actor>E</actor></credits>"))));
  EXPECT_EQ(
      Rows("SELECT * FROM programs ORDER BY id"),
      (Lines{"1|Evening News|Late edition|The day in brief.|News|Ann Director, Second Director|"
             "Actor One, Actor Two, Actor Three|Pat Presenter|1999|3/5|teletext|1|PG|GB|en|fr|"
             "2.11.0/1|0|16:9|1|1|stereo|45|1|1|1",
             "2|A|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
             "NULL|NULL|NULL|0|NULL|NULL|NULL|NULL|NULL",
             "3|B|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|1|"
             "NULL|0|0|NULL|NULL|NULL|NULL|NULL",
             "4|C|NULL||NULL|NULL|NULL|NULL|0|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|4:3|"
             "NULL|NULL|NULL|90|NULL|NULL|NULL",
             "5|D|NULL|NULL|NULL|NULL|, E|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
             "NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL"}));
  EXPECT_EQ(Entries().at(0),
            "one::20261207180000 +0100::20261207184500 +0100|2026-12-07 18:00:00|"
            "2026-12-07 18:45:00|Evening News|one|XMLTV");
  EXPECT_TRUE(Logged("TRACE: Unused: 'writer' - 'Will Writer'")) << log;
  EXPECT_TRUE(Logged("TRACE: Unused: 'icon' - ''"));
  EXPECT_TRUE(Logged("TRACE: Unused: 'url' - 'http://example.org/news'"));
  EXPECT_EQ(log.find("Unused: '", log.find("Unused: 'url'") + 1), log.npos) << log;
  Lines shown;  // by the dialog's main status line
  for (const std::string& item : ui->itemHistory) {
    if (item.starts_with(std::to_string(IDC_MAIN_STATUS) + ":"))
      shown.push_back(item.substr(item.find(':') + 1));
  }
  EXPECT_EQ(shown, (Lines{"Opening database...", "Removing old entries from database...",
                          "Initialising database...", "Building XML tree...", "One", "Evening News",
                          "A", "B", "C", "D", "Saving database..."}));
}

TEST_F(ImportJobTest, RejectedProgrammesAndClumps) {
  const std::string six = "20261207180000", seven = "20261207190000", eight = "20261207200000";
  const std::string times = "start=\"" + six + "\" stop=\"" + seven + "\"";
  EXPECT_TRUE(Run(Tv(
      Programme("start=\"" + six + "\" channel=\"one\"", "<title>No stop</title>") +
      Programme(six, six, "<title>Equal times</title>") +
      Programme(seven, six, "<title>Backwards</title>") +
      Programme(times, "<title>No channel</title>") +
      Programme(times + " channel=\"\"", "<title>Empty channel</title>") +
      Programme(six, seven, "<desc>No title</desc>") + Programme(six, seven, "<title>   </title>") +
      Programme("stop=\"20261206180001\" channel=\"one\"", "<title>No start</title>") +
      Programme("20261207170000", "20261207170001", "<title>One second</title>") +
      Programme(six, seven, "<title>First half</title>", " clumpidx=\"0/2\"") +
      Programme(six, seven, "<title>Second half</title>", " clumpidx=\" 1/2 \"") +
      Programme(six, seven, "<title>Third part</title>", " clumpidx=\"2/3\"") +
      Programme(six, seven, "<title>Tenth part</title>", " clumpidx=\"10/12\"") +
      Programme(seven, eight, "", " clumpidx=\"0/2\"") +
      Programme(seven, eight, "<title>Orphan</title>", " clumpidx=\"1/2\"") +
      Programme(eight, "20261207210000", "<title>Blank index</title>", " clumpidx=\"  \""))));
  EXPECT_EQ(Entries(),
            (Lines{"one::20261207170000::20261207170001|2026-12-07 17:00:00|2026-12-07 17:00:01|"
                   "One second|one|XMLTV",
                   "one::20261207180000::20261207190000|2026-12-07 18:00:00|2026-12-07 19:00:00|"
                   "First half|one|XMLTV",
                   "one::20261207200000::20261207210000|2026-12-07 20:00:00|2026-12-07 21:00:00|"
                   "Blank index|one|XMLTV",
                   "one::::20261206180001|0000-00-00 00:00:00|2026-12-06 18:00:01|No start|one|"
                   "XMLTV"}));
  EXPECT_EQ(Rows("SELECT x.seq, p.title FROM schedule_entry_programs x "
                 "JOIN programs p ON p.id = x.program_id ORDER BY 1"),
            (Lines{"1|Second half", "2|Tenth part"}));
  size_t at = 0;
  for (const char* error : {"broken times", "broken times", "broken times", "no channel",
                            "no channel", "no title", "no title", "no title"}) {
    at = log.find(std::string(" ERROR: Program has ") + error + "\r\n", at);
    ASSERT_NE(at, log.npos) << error << "\n" << log;
    ++at;
  }
  EXPECT_EQ(log.find(" ERROR: ", at), log.npos) << log;
  EXPECT_TRUE(
      Logged("TRACE: Skipping additional clump: 'Third part' for event one::" + six + "::" + seven))
      << log;
  EXPECT_TRUE(Logged("TRACE: ScheduleEntry cannot be clumped: Orphan")) << log;
}

// Each channel with an id becomes a service and a line of channels.txt; a programme finds its
// service among the channels read, else among those stored before, else has none.
TEST_F(ImportJobTest, ChannelsBecomeServicesThatProgrammesFind) {
  ASSERT_TRUE(
      Run("<tv>\n<channel id=\"known\"><display-name>Known</display-name></channel>\n</tv>"));
  WriteFile(dir / "channels.txt", "stale\r\n");
  ASSERT_TRUE(Run(R"(<tv>
<channel id="bare"/>
<channel id="full"><display-name lang="en">Full One</display-name><display-name lang="de">Voll Eins</display-name><icon src="http://example.org/full.png"/><icon src="http://example.org/other.png"/></channel>
<channel id="nosrc"><icon/></channel>
<channel id="emptysrc"><display-name></display-name><icon src=""/></channel>
<channel><display-name>No id</display-name></channel>
<channel id="Bare"/>
)" + On("full", "Mapped") +
                  On("known", "Stored") + On("ghost", "Ghost") + "</tv>\n"));
  EXPECT_EQ(
      Rows("SELECT channel_id, name, icon FROM services ORDER BY id"),
      (Lines{"known|Known|NULL", "bare|bare|NULL", "full|Full One|http://example.org/full.png",
             "nosrc|nosrc|NULL", "emptysrc||NULL", "Bare|Bare|NULL"}));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "bare\r\nfull\r\nnosrc\r\nemptysrc\r\nBare\r\n");
  EXPECT_EQ(Rows("SELECT p.title, s.channel_id FROM schedule_entries e JOIN programs p ON "
                 "p.id = e.program_id LEFT JOIN services s ON s.id = e.service_id ORDER BY 1"),
            (Lines{"Ghost|NULL", "Mapped|full", "Stored|known"}));
  EXPECT_TRUE(Logged("TRACE: Cannot find channel: ghost")) << log;
  EXPECT_EQ(log.find("Cannot find channel: known"), log.npos);
}

// The supplier of a <tv> root is the provider of the file's entries; the XMLTV provider is made
// once.
TEST_F(ImportJobTest, TheSupplierOfTheRootIsTheProvider) {
  ASSERT_TRUE(Run("<tv supplier=\"Listings Inc\">\n" + On("one", "Supplied") + "</tv>"));
  ASSERT_TRUE(Run("<tv>\n<programme supplier=\"Other\"/>" + On("one", "Inner", '8') + "</tv>"));
  ASSERT_TRUE(Run("<guide supplier=\"Other\">\n" + On("one", "Other root", '9') + "</guide>"));
  EXPECT_EQ(Rows("SELECT name, url FROM providers ORDER BY id"),
            (Lines{"XMLTV|https://xmltv.org", "Listings Inc|NULL"}));
  EXPECT_EQ(Rows("SELECT p.title, v.name FROM schedule_entries e JOIN programs p ON "
                 "p.id = e.program_id JOIN providers v ON v.id = e.provider_id ORDER BY e.id"),
            (Lines{"Supplied|Listings Inc", "Inner|XMLTV", "Other root|XMLTV"}));
}

TEST_F(ImportJobTest, OldEntriesGoByTheOptionElseTheRegistryUnlessTheWholeGuideIsCleaned) {
  // A programme that ended three days ago.
  auto stamp = [](int daysAgo) {
    time_t when = time(nullptr) - daysAgo * 86400;
    char text[16];
    strftime(text, sizeof text, "%Y%m%d%H%M%S", localtime(&when));
    return std::string(text);
  };
  options.m_nDays = 7;
  ASSERT_TRUE(Run(Tv(Programme(stamp(4), stamp(3), "<title>Recent</title>"))));
  EXPECT_TRUE(Logged("TRACE: Removing entries older than 7 days")) << log;
  options.m_nDays = -1;
  WriteFile(dir / "registry.reg",
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\"
            "Configuration\\EPG]\r\n\"Old data days\"=dword:0000000e\r\n");
  ASSERT_TRUE(Run(Tv("")));
  EXPECT_TRUE(Logged("TRACE: Removing entries older than 14 days")) << log;
  EXPECT_EQ(Entries().size(), 1u);
  std::filesystem::remove(dir / "registry.reg");
  ASSERT_TRUE(Run(Tv("")));
  EXPECT_TRUE(Logged("TRACE: Removing entries older than 0 days")) << log;
  EXPECT_EQ(Entries(), Lines{});

  options.m_bCleanAll = true;
  ASSERT_TRUE(Run("<tv>\n<channel id=\"two\"/>\n</tv>\n"));
  EXPECT_TRUE(Logged("TRACE: Deleting whole database"));
  EXPECT_EQ(log.find("Removing entries"), log.npos);
  EXPECT_EQ(Rows("SELECT channel_id FROM services"), Lines{"two"});
}

// A file that breaks off after a record saves what came before; one that breaks off before any
// record is not saved, so that a broken download never empties the guide.
TEST_F(ImportJobTest, BrokenFilesSaveOnlyWhatFollowsARecord) {
  options.m_bCleanAll = true;
  ASSERT_TRUE(Run("<tv>\n<channel id=\"a\"/>\n</tv>\n"));
  EXPECT_FALSE(Run("<tv>\n<channel id=\"b\"\n"));
  EXPECT_EQ(Rows("SELECT channel_id FROM services"), Lines{"a"});
  EXPECT_FALSE(Run("<tv>\n<channel id=\"c\"/>\n<programme start=\n</tv>\n"));
  EXPECT_EQ(Rows("SELECT channel_id FROM services"), Lines{"c"});
  EXPECT_NE(log.find(" ERROR: XML error in '" + options.m_strFileName + "' at line 4"), log.npos)
      << log;
  options.m_strFileName = dir / "missing.xml";
  EXPECT_FALSE(Run(""));
  EXPECT_NE(log.find(" ERROR: Cannot read XMLTV file '" + options.m_strFileName + "'"), log.npos);
  EXPECT_EQ(Rows("SELECT channel_id FROM services"), Lines{"c"});
}

// Each failure of the component is reported; those before the file is read leave the guide as
// it was, whole clean included.
TEST_F(ImportJobTest, ComponentFailures) {
  const std::string alert = "USERALERT: Unrecoverable internal error: Cannot ";
  const struct {
    const char* call;
    bool imported;
    std::string line;
    Lines entries;  // the channels of the entries afterwards
  } cases[] = {
      {"", true, "TRACE: Deleting whole database", {"one"}},
      {"Open", false, alert + "open EPG database.", {"one"}},
      {"GetScheduleEntries", false, alert + "get ScheduleEntries from the EPG database", {"one"}},
      {"GetProviders", false, alert + "get Providers from the EPG database", {"one"}},
      {"GetPrograms", false, alert + "get Programs from the EPG database", {"one"}},
      {"GetTunables", false, alert + "get Tunables from the EPG database", {"one"}},
      {"GetServices", false, alert + "get Services from the EPG database", {"one"}},
      {"GetChannelLineups", false, alert + "get ChannelLineups from the EPG database", {"one"}},
      {"Providers.Create", false, alert + "set provider in database", {"one"}},
      {"Save", false, alert + "save EPG database.", {"one"}},
      {"Programs.Create", true, "ERROR: Cannot create program object", {}},
      {"Entries.Add", true, "TRACE: ScheduleEntry cannot be created: News", {}},
      {"Clean", true, "ERROR: Failed to clean database", {"one"}},
      {"Services.Add", true, "TRACE: Cannot find channel: one", {"NULL"}},
  };
  options.m_bCleanAll = true;
  for (const auto& c : cases) {
    g_failing = {c.call};
    EXPECT_EQ(Run(Tv(On("one", "News"))), c.imported) << c.call;
    EXPECT_TRUE(Logged(c.line)) << c.call << "\n" << log;
    EXPECT_EQ(Rows("SELECT s.channel_id FROM schedule_entries e "
                   "LEFT JOIN services s ON s.id = e.service_id"),
              c.entries)
        << c.call;
  }
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "one\r\n") << "a channel without service is listed";

  g_failing.clear();
  CoUnregisterClass(CLSID_EPGDatabase);
  const std::string none = alert + "create EPG database. Did you install Almanor?";
  EXPECT_FALSE(Run(Tv("")));
  EXPECT_NE(log.find(none, log.find(none) + 1), log.npos) << "clean and open both alert\n" << log;
}

}  // namespace
