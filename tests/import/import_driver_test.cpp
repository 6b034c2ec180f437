// The import job's run: opening the component, old entries, the provider, saving, broken files
// and cancelling, against the recording component.
#include <cstdio>

#include "import/epgdb/epg_database.h"
#include "platform/com/com.h"
#include "tests/import/import_job_fixture.h"

namespace import_test {
namespace {

using testing_support::WriteFile;

constexpr char kNoComponent[] =
    "USERALERT: Unrecoverable internal error: Cannot create EPG database. Did you install "
    "Almanor?";

const std::string kOneProgramme =
    "<tv>\n<programme start=\"202612071800\" stop=\"202612071900\" channel=\"one\">"
    "<title>News</title></programme>\n</tv>\n";

using ImportDriverTest = ImportJobTest;

TEST_F(ImportDriverTest, AnImportRunsInThisOrder) {
  JobRun run = Run("<tv>\n</tv>\n");
  EXPECT_EQ(run.openCode, 0u);
  EXPECT_TRUE(run.imported);
  EXPECT_EQ(
      Show(run.calls),
      Show({
          "Database#1.Open() -> true",
          "Database#1.GetScheduleEntries() -> Entries",
          "Database#1.GetProviders() -> Providers",
          "Database#1.GetPrograms() -> Programs",
          "Database#1.GetTunables() -> Tunables",
          "Database#1.GetServices() -> Services",
          "Database#1.GetChannelLineups() -> Lineups",
          "Entries.RemoveOlderThan(0)",
          "Database#1.SetSourceDescription(XMLTV data read from: " + options.m_strFileName + ")",
          "Database#1.SetServicesFile()",
          "Providers.Lookup(XMLTV) -> null",
          "Providers.Create() -> Provider#1",
          "Provider#1.SetName(XMLTV)",
          "Provider#1.SetURL(https://xmltv.org)",
          "Database#1.PrepareSave()",
          "Database#1.Save()",
          "Database#1.Close()",
      }));
  EXPECT_EQ(Show(DialogLines()),
            Show({"Opening database...", "Removing old entries from database...",
                  "Initialising database...", "Building XML tree...", "Saving database..."}));
  EXPECT_TRUE(Has(run.log, "TRACE: Removing entries older than 0 days")) << Show(run.log);
  EXPECT_TRUE(Has(run.log, "TRACE: Adding 0 minutes to the start and end times of all programs"));

  // The provider made by the first run is found and left as it is.
  JobRun again = Run("<tv>\n</tv>\n");
  EXPECT_EQ(Show(Starting(again.calls, "Provider")),
            Show({"Providers.Lookup(XMLTV) -> Provider#1"}));
}

TEST_F(ImportDriverTest, WithoutTheComponentOpenFailsBeforeReadingTheFile) {
  CoUnregisterClass(CLSID_EPGDatabase);
  JobRun run = Run(kOneProgramme);
  EXPECT_EQ(run.openCode, 6u);
  EXPECT_FALSE(run.imported);
  EXPECT_EQ(Count(run.log, kNoComponent), 1u) << Show(run.log);
  EXPECT_EQ(ui->boxes.size(), 1u);

  // The whole clean tries first, and fails the same way.
  options.m_bCleanAll = true;
  JobRun clean = Run(kOneProgramme);
  EXPECT_EQ(clean.openCode, 6u);
  EXPECT_EQ(Count(clean.log, kNoComponent), 2u) << Show(clean.log);
  EXPECT_EQ(ui->boxes.size(), 3u);
  EXPECT_EQ(fake.Calls(), Lines{});
}

TEST_F(ImportDriverTest, OpenFailuresGiveTheirCodes) {
  for (HRESULT result : {S_OK, E_FAIL}) {
    fake.failing = {{"Database.Open", result}};
    JobRun run = Run(kOneProgramme);
    EXPECT_EQ(run.openCode, 7u);
    EXPECT_TRUE(Has(run.log, "USERALERT: Unrecoverable internal error: Cannot open EPG database."));
    EXPECT_EQ(Starting(run.calls, "Database#").size(), 2u) << Show(run.calls);
    EXPECT_TRUE(run.calls.back().ends_with(".Close()")) << Show(run.calls);
  }
  const char* collections[] = {"ScheduleEntries", "Providers", "Programs",
                               "Tunables",        "Services",  "ChannelLineups"};
  for (unsigned i = 0; i < 6; ++i) {
    const std::string get = std::string("Get") + collections[i];
    fake.failing = {{"Database." + get, E_FAIL}};
    JobRun run = Run(kOneProgramme);
    EXPECT_EQ(run.openCode, 8 + i);
    EXPECT_TRUE(Has(run.log, std::string("USERALERT: Unrecoverable internal error: Cannot get ") +
                                 collections[i] + " from the EPG database"))
        << Show(run.log);
    // The fetches stop at the failing one, and nothing else is asked before Close.
    ASSERT_EQ(run.calls.size(), i + 3) << Show(run.calls);
    EXPECT_TRUE(run.calls[i + 1].ends_with("." + get + "() -> null")) << Show(run.calls);
  }
  EXPECT_EQ(ui->boxes.size(), 8u);
}

TEST_F(ImportDriverTest, OldEntriesByTheOptionElseTheRegistry) {
  options.m_nDays = 7;
  JobRun byOption = Run(kOneProgramme);
  EXPECT_EQ(Show(Starting(byOption.calls, "Entries.Remove")), Show({"Entries.RemoveOlderThan(7)"}));
  EXPECT_TRUE(Has(byOption.log, "TRACE: Removing entries older than 7 days"));

  options.m_nDays = -1;
  WriteFile(dir / "registry.reg",
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Labs\\Glimmerbox\\"
            "Configuration\\EPG]\r\n\"Old data days\"=dword:0000000e\r\n");
  JobRun byRegistry = Run(kOneProgramme);
  EXPECT_EQ(Show(Starting(byRegistry.calls, "Entries.Remove")),
            Show({"Entries.RemoveOlderThan(14)"}));
  EXPECT_TRUE(Has(byRegistry.log, "TRACE: Removing entries older than 14 days"));

  std::remove((dir / "registry.reg").c_str());
  JobRun byNone = Run(kOneProgramme);
  EXPECT_EQ(Show(Starting(byNone.calls, "Entries.Remove")), Show({"Entries.RemoveOlderThan(0)"}));
}

TEST_F(ImportDriverTest, CleanAllUsesAnInstanceOfItsOwnAndRemovesNothingSeparately) {
  options.m_bCleanAll = true;
  options.m_nDays = 7;
  JobRun run = Run(kOneProgramme);
  EXPECT_TRUE(run.imported);
  ASSERT_GE(run.calls.size(), 2u);
  EXPECT_EQ(run.calls[0], "Database#1.Clean() -> true");
  EXPECT_EQ(run.calls[1], "Database#2.Open() -> true");
  EXPECT_EQ(Starting(run.calls, "Database#1.").size(), 1u) << "the cleaning instance is not kept";
  EXPECT_EQ(Starting(run.calls, "Entries.Remove"), Lines{});
  EXPECT_TRUE(Has(run.log, "TRACE: Deleting whole database"));
  EXPECT_EQ(Starting(run.log, "ERROR: "), Lines{});

  fake.failing = {{"Database.Clean", S_OK}};
  JobRun refused = Run(kOneProgramme);
  EXPECT_TRUE(Has(refused.log, "ERROR: Failed to clean database"));
  EXPECT_TRUE(refused.imported);
}

TEST_F(ImportDriverTest, TheSupplierOfTheDocumentElementIsTheProvider) {
  JobRun run =
      Run("<tv supplier=\"Listings Inc\">\n<programme start=\"202612071800\" stop=\"202612071900\" "
          "channel=\"one\"><title>News</title></programme>\n</tv>\n");
  EXPECT_EQ(Show(Starting(run.calls, "Provider")),
            Show({"Providers.Lookup(XMLTV) -> null", "Providers.Create() -> Provider#1",
                  "Provider#1.SetName(XMLTV)", "Provider#1.SetURL(https://xmltv.org)",
                  "Providers.Lookup(Listings Inc) -> null", "Providers.Create() -> Provider#2",
                  "Provider#2.SetName(Listings Inc)"}));
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetProvider(Provider#2)"));

  JobRun elsewhere =
      Run("<tv>\n<programme start=\"202612071800\" stop=\"202612071900\" channel=\"one\" "
          "supplier=\"Listings Inc\"><title>News</title></programme>\n</tv>\n");
  EXPECT_EQ(Show(Starting(elsewhere.calls, "Provider")),
            Show({"Providers.Lookup(XMLTV) -> Provider#1"}));
  EXPECT_TRUE(Has(elsewhere.calls, "Entry#1.SetProvider(Provider#1)"));

  JobRun otherRoot = Run(
      "<guide supplier=\"Listings Inc\">\n<programme start=\"202612071800\" stop=\"202612071900\" "
      "channel=\"one\"><title>News</title></programme>\n</guide>\n");
  EXPECT_EQ(Show(Starting(otherRoot.calls, "Provider")),
            Show({"Providers.Lookup(XMLTV) -> Provider#1"}));
  EXPECT_TRUE(Has(otherRoot.calls, "Entry#1.SetProvider(Provider#1)"));
}

TEST_F(ImportDriverTest, FailuresAfterOpening) {
  fake.failing = {{"Providers.Create", E_FAIL}};
  JobRun noProvider = Run(kOneProgramme);
  EXPECT_FALSE(noProvider.imported);
  EXPECT_TRUE(Has(noProvider.log,
                  "USERALERT: Unrecoverable internal error: Cannot set provider in database"));
  EXPECT_EQ(Starting(noProvider.calls, "Programs."), Lines{}) << "the file is not read";
  EXPECT_FALSE(Has(noProvider.calls, "Database#1.Save()"));

  fake.failing = {{"Database.Save", E_FAIL}};
  size_t boxes = ui->boxes.size();
  JobRun notSaved = Run(kOneProgramme);
  EXPECT_FALSE(notSaved.imported);
  EXPECT_TRUE(
      Has(notSaved.log, "USERALERT: Unrecoverable internal error: Cannot save EPG database."));
  ASSERT_EQ(ui->boxes.size(), boxes + 1);
  EXPECT_EQ(ui->boxes.back().text, "Unrecoverable internal error: Cannot save EPG database.\r\n");
}

// A file that breaks off after a record saves what came before it and fails; one that holds no
// record is not saved at all, so a broken download never replaces the guide.
TEST_F(ImportDriverTest, BrokenFilesFailAndSaveOnlyWhenARecordCameFirst) {
  JobRun afterChannel = Run("<tv>\n<channel id=\"a\"/>\n<programme start=\n</tv>\n");
  EXPECT_FALSE(afterChannel.imported);
  EXPECT_TRUE(Has(afterChannel.calls, "Service#1.SetId(a)"));
  Lines database = Starting(afterChannel.calls, "Database#1.");
  EXPECT_EQ(Show(Lines(database.end() - 3, database.end())), Show({
                                                                 "Database#1.PrepareSave()",
                                                                 "Database#1.Save()",
                                                                 "Database#1.Close()",
                                                             }));
  EXPECT_EQ(
      Starting(afterChannel.log, "ERROR: XML error in '" + options.m_strFileName + "' at line ")
          .size(),
      1u)
      << Show(afterChannel.log);

  JobRun noRecord = Run("<tv>\n<channel id=\"a\"\n");
  EXPECT_FALSE(noRecord.imported);
  EXPECT_EQ(Starting(noRecord.calls, "Database#2.Save"), Lines{});
  EXPECT_EQ(Starting(noRecord.calls, "Database#2.PrepareSave"), Lines{});
  EXPECT_EQ(noRecord.calls.back(), "Database#2.Close()");

  options.m_strFileName = dir / "missing.xml";
  JobRun missing = Run("");
  EXPECT_FALSE(missing.imported);
  EXPECT_EQ(Starting(missing.calls, "Database#3.Save"), Lines{});
  EXPECT_EQ(
      Starting(missing.log, "ERROR: Cannot read XMLTV file '" + options.m_strFileName + "'").size(),
      1u)
      << Show(missing.log);
}

TEST_F(ImportDriverTest, ACancelFinishesTheLineSavesAndSucceeds) {
  ui->answers = {platform::ui::IDYES};
  bool clicked = false;
  ui->onPump = [&] {
    if (!clicked && !DialogLines().empty() && DialogLines().back() == "A") {
      clicked = true;
      ui->ClickCancel();
    }
  };
  JobRun run =
      Run("<tv>\n<channel id=\"a\"><display-name>A</display-name></channel><channel id=\"b\"/>\n"
          "<channel id=\"c\"/>\n</tv>\n");
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(run.imported);
  EXPECT_TRUE(Has(run.calls, "Services.Find(b) -> null")) << "the rest of the line is handled";
  EXPECT_FALSE(Has(run.calls, "Services.Find(c) -> null")) << "no further line is read";
  EXPECT_TRUE(Has(run.calls, "Database#1.Save()"));
  EXPECT_EQ(Starting(run.log, "ERROR: "), Lines{});
  EXPECT_EQ(testing_support::ReadFile(dir / "channels.txt"), "a\r\nb\r\n");
}

}  // namespace
}  // namespace import_test
