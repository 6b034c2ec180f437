// The import job in this process against the real component, on a database in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "epgdb/component.h"
#include "import/epg_database.h"
#include "platform/com/com.h"
#include "platform/ui/none/none_backend.h"
#include "resources/resources.h"
#include "tests/support/process_log.h"
#include "tests/support/recording_backend.h"
#include "tests/support/run_program.h"
#include "tests/support/sqlite_query.h"

namespace {

using Lines = std::vector<std::string>;
using namespace testing_support;

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
    auto backend = std::make_unique<RecordingBackend>();
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
  // written meanwhile goes to `log`, the dialog's main status lines to `shown`.
  bool Run(const std::string& listings) {
    WriteFile(dir / "listings.xml", listings);
    ui->itemHistory.clear();
    LogSlice slice;
    bool imported = false;
    {
      CEPGDataBase job(options, dialog);
      imported = job.Open() == 0 && job.Import();
    }
    log = slice.Text();
    shown.clear();
    for (const std::string& item : ui->itemHistory) {
      if (item.starts_with(std::to_string(IDC_MAIN_STATUS) + ":"))
        shown.push_back(item.substr(item.find(':') + 1));
    }
    return imported;
  }
  bool Logged(const std::string& line) const { return log.find(" " + line + "\r\n") != log.npos; }
  Lines Rows(const std::string& sql) const { return QueryRows(database, sql); }

  std::filesystem::path previousFolder = std::filesystem::current_path();
  TempDir dir;
  std::string database = dir / "epg.sqlite";
  ImportOptions options;
  RecordingBackend* ui = nullptr;
  CProgressDialog dialog;
  std::string log;
  Lines shown;
};

// A channel with an id becomes a service: its first display name (else its id) and first icon.
// A programme finds its service among the channels read, else among those stored before, else
// has none; its provider is the supplier of a <tv> root, else XMLTV. The dialog shows each step
// and each name and title.
TEST_F(ImportJobTest, ServicesAndProviders) {
  ASSERT_TRUE(
      Run("<tv>\n<channel id=\"known\"><display-name>Known</display-name></channel>\n"
          "<programme supplier=\"Other\"/></tv>"));
  EXPECT_TRUE(Logged("TRACE: Removing entries older than 0 days")) << "without option or registry";
  WriteFile(dir / "channels.txt", "stale\r\n");
  const std::string on = "<programme start=\"20991207180000\" stop=\"20991207190000\" channel=";
  ASSERT_TRUE(Run(R"(<tv supplier="Listings Inc">
<channel id="bare"/>
<channel id="full"><display-name>Full One</display-name><display-name>Voll</display-name>
<icon src="f.png"/><icon src="o.png"/></channel>
<channel id="nosrc"><icon/></channel>
<channel id="emptysrc"><display-name></display-name><icon src=""/></channel>
<channel id="Bare"/>
)" + on + "\"full\"><title>Mapped</title></programme>" +
                  on + "\"known\"><title>Stored</title></programme>" + on +
                  "\"ghost\"><title>Ghost</title></programme></tv>\n"));
  EXPECT_EQ(Rows("SELECT channel_id, name, icon FROM services"),
            (Lines{"known|Known|NULL", "bare|bare|NULL", "full|Full One|f.png", "nosrc|nosrc|NULL",
                   "emptysrc||NULL", "Bare|Bare|NULL"}));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "bare\r\nfull\r\nnosrc\r\nemptysrc\r\nBare\r\n");
  ASSERT_TRUE(
      Run("<guide supplier=\"Other\">" + on + "\"x\"><title>X</title></programme></guide>"));
  EXPECT_EQ(shown,
            (Lines{"Opening database...", "Removing old entries from database...",
                   "Initialising database...", "Building XML tree...", "X", "Saving database..."}));
  EXPECT_EQ(Rows("SELECT p.title, s.channel_id, v.name, v.url FROM schedule_entries e "
                 "JOIN programs p ON p.id = e.program_id LEFT JOIN services s ON s.id = "
                 "e.service_id JOIN providers v ON v.id = e.provider_id ORDER BY 1"),
            (Lines{"Ghost|NULL|Listings Inc|NULL", "Mapped|full|Listings Inc|NULL",
                   "Stored|known|Listings Inc|NULL", "X|NULL|XMLTV|https://xmltv.org"}));
  EXPECT_EQ(Rows("SELECT count(*) FROM providers"), Lines{"2"});
}

// Without the component, or without a database to open, the job alerts and imports nothing; a
// whole clean that cannot be asked for is logged.
TEST_F(ImportJobTest, WithoutComponentOrDatabaseNothingIsImported) {
  options.m_bCleanAll = true;
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
  EXPECT_EQ(CountOf(log, alert + "create EPG database. Did you install Almanor?"), 2u) << log;
  EXPECT_EQ(ui->boxes.size(), 3u);
}

}  // namespace
