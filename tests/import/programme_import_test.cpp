// The import of programme elements, call by call against the recording component.
#include <stdlib.h>
#include <time.h>

#include <optional>

#include "import/epg_database.h"
#include "tests/import/import_job_fixture.h"

namespace import_test {
namespace {

std::string Tv(const std::string& body) {
  return "<tv>\n<channel id=\"one\"><display-name>One</display-name></channel>\n" + body +
         "</tv>\n";
}

std::string ProgrammeWith(const std::string& attributes, const std::string& children) {
  return "<programme " + attributes + ">" + children + "</programme>\n";
}

// A programme on channel one from `start` to `stop`, with the given extra attributes.
std::string Programme(const std::string& start, const std::string& stop,
                      const std::string& children, const std::string& attributes = "") {
  return ProgrammeWith("start=\"" + start + "\" stop=\"" + stop + "\" channel=\"one\"" + attributes,
                       children);
}

using ProgrammeImportTest = ImportJobTest;

// The children are written in an order unlike the mapping's, so that the calls show the
// mapping's order; credits keep their own document order.
TEST_F(ProgrammeImportTest, EveryMappedChildInTheMappingOrder) {
  JobRun run =
      Run(Tv(R"(<programme start="20261207180000 +0100" stop="20261207184500 +0100" channel="one">
  <star-rating><value>3/5</value></star-rating>
  <rating system="BBFC"><value>PG</value></rating>
  <subtitles type="teletext"/>
  <new/>
  <last-chance/>
  <premiere>First showing</premiere>
  <previously-shown start="20250101"/>
  <audio><stereo>stereo</stereo><present>yes</present></audio>
  <video><aspect>16:9</aspect><colour>no</colour><present>yes</present></video>
  <episode-num system="xmltv_ns">2.11.0/1</episode-num>
  <country>GB</country>
  <url>http://example.org/news</url>
  <icon src="http://example.org/news.png"/>
  <length units="hours">45</length>
  <orig-language>fr</orig-language>
  <language>en</language>
  <category>News</category>
  <category>Current affairs</category>
  <date>1999-05-01</date>
  <credits>
    <director>Ann Director</director>
    <actor>Actor One</actor>
    <writer>Will Writer</writer>
    <presenter>Pat Presenter</presenter>
    <actor role="lead">Actor Two</actor>
    <director>Second Director</director>
    <actor>Actor Three</actor>
  </credits>
  <desc lang="en">The day in brief.</desc>
  <desc lang="fr">Le jour.</desc>
  <sub-title>Late edition</sub-title>
  <title lang="en">Evening News</title>
  <title lang="de">Abendnachrichten</title>
  <keyword>news</keyword>
</programme>
)"));
  EXPECT_TRUE(run.imported);
  Lines expected = {
      "Programs.Create() -> Program#1",
      "Program#1.SetTitle(Evening News)",
      "Program#1.SetSubTitle(Late edition)",
      "Program#1.SetDescription(The day in brief.)",
      "Program#1.SetDirector(Ann Director)",
      "Program#1.SetPresenter(Pat Presenter)",
      "Program#1.SetDirector(Second Director)",
      "Program#1.SetActors(Actor One, Actor Two, Actor Three)",
      "Program#1.SetDate(1999)",
      "Program#1.SetCategory(News)",
      "Program#1.SetLanguage(en)",
      "Program#1.SetOrigLanguage(fr)",
      "Program#1.SetLength(45)",
      "Program#1.SetCountry(GB)",
      "Program#1.SetEpisodeNumber(2.11.0/1)",
      "Program#1.SetVideoPresent(1)",
      "Program#1.SetColour(0)",
      "Program#1.SetAspect(16:9)",
      "Program#1.SetAudioPresent(1)",
      "Program#1.SetStereo(stereo)",
      "Program#1.SetPreviouslyShown(1)",
      "Program#1.SetPremiere(1)",
      "Program#1.SetLastChance(1)",
      "Program#1.SetNew(1)",
      "Program#1.SetSubtitles(teletext)",
      "Program#1.SetRating(PG)",
      "Program#1.SetStarRating(3/5)",
      "Entries.Add(one::20261207180000 +0100::20261207184500 +0100) -> Entry#1",
      "Entry#1.SetProvider(Provider#1)",
      "Entry#1.SetService(Service#1)",
      "Entry#1.SetProgram(Program#1)",
      "Entry#1.SetStartTime(2026,12,7,18,0,0)",
      "Entry#1.SetEndTime(2026,12,7,18,45,0)",
      "Entries.Reconcile(Entry#1)",
  };
  EXPECT_EQ(Show(Between(run.calls, "Programs.", "Database#1.")), Show(expected));
  EXPECT_EQ(Show(Starting(run.log, "TRACE: Unused")),
            Show({"TRACE: Unused: 'writer' - 'Will Writer'", "TRACE: Unused: 'icon' - ''",
                  "TRACE: Unused: 'url' - 'http://example.org/news'"}));
  EXPECT_TRUE(Has(DialogLines(), "Evening News"));
}

TEST_F(ProgrammeImportTest, FlagsCompareExactlyAndPresentChildrenAlwaysCount) {
  JobRun run =
      Run(Tv(Programme("202612070100", "202612070200",
                       "<title>A</title><video><present>no</present></video>") +
             Programme("202612070200", "202612070300",
                       "<title>B</title><video><present>Yes</present><colour>yes</colour></video>"
                       "<audio><present>YES</present></audio>") +
             Programme("202612070300", "202612070400",
                       "<title>C</title><video><aspect>4:3</aspect></video><subtitles/><desc/>"
                       "<date>n/a</date><length units=\"minutes\">90 min</length><credits/>") +
             Programme("202612070400", "202612070500",
                       "<title>D</title><credits><actor/><actor>E</actor></credits>")));
  auto setters = [&](const std::string& program) {
    return Show(Starting(run.calls, program + ".Set"));
  };
  EXPECT_EQ(setters("Program#1"), Show({"Program#1.SetTitle(A)", "Program#1.SetVideoPresent(0)"}));
  EXPECT_EQ(setters("Program#2"), Show({"Program#2.SetTitle(B)", "Program#2.SetVideoPresent(0)",
                                        "Program#2.SetColour(1)", "Program#2.SetAudioPresent(0)"}));
  EXPECT_EQ(setters("Program#3"),
            Show({"Program#3.SetTitle(C)", "Program#3.SetDescription()", "Program#3.SetDate(0)",
                  "Program#3.SetLength(90)", "Program#3.SetAspect(4:3)"}));
  // Actors are joined as they stand, an empty name included.
  EXPECT_EQ(setters("Program#4"), Show({"Program#4.SetTitle(D)", "Program#4.SetActors(, E)"}));
}

TEST_F(ProgrammeImportTest, RejectionsAreLoggedAndMakeNothing) {
  const std::string start = "20261207180000", stop = "20261207190000";
  const std::string times = "start=\"" + start + "\" stop=\"" + stop + "\"";
  JobRun run =
      Run(Tv(ProgrammeWith("start=\"" + start + "\" channel=\"one\"", "<title>No stop</title>") +
             Programme(start, start, "<title>Equal times</title>") +
             Programme(stop, start, "<title>Backwards</title>") +
             ProgrammeWith(times, "<title>No channel</title>") +
             ProgrammeWith(times + " channel=\"\"", "<title>Empty channel</title>") +
             Programme(start, stop, "<desc>No title</desc>") +
             Programme(start, stop, "<title>   </title>") +
             ProgrammeWith("stop=\"20261207180001\" channel=\"one\"", "<title>No start</title>") +
             Programme(start, "20261207180001", "<title>One second</title>")));
  EXPECT_TRUE(run.imported);
  EXPECT_EQ(Show(Starting(run.log, "ERROR: ")),
            Show({"ERROR: Program has broken times", "ERROR: Program has broken times",
                  "ERROR: Program has broken times", "ERROR: Program has no channel",
                  "ERROR: Program has no channel", "ERROR: Program has no title",
                  "ERROR: Program has no title"}));
  EXPECT_EQ(Show(Starting(run.calls, "Programs.")),
            Show({"Programs.Create() -> Program#1", "Programs.Create() -> Program#2"}));
  EXPECT_EQ(Show(Starting(run.calls, "Entry#1.Set")),
            Show({"Entry#1.SetProvider(Provider#1)", "Entry#1.SetService(Service#1)",
                  "Entry#1.SetProgram(Program#1)", "Entry#1.SetStartTime(0,0,0,0,0,0)",
                  "Entry#1.SetEndTime(2026,12,7,18,0,1)"}));
  EXPECT_TRUE(Has(run.calls, "Entry#2.SetEndTime(2026,12,7,18,0,1)")) << Show(run.calls);
}

TEST_F(ProgrammeImportTest, ComponentRefusalsRejectTheProgramme) {
  const std::string programme =
      Tv(Programme("202612071800", "202612071900", "<title>News</title>"));
  fake.failing = {{"Programs.Create", E_FAIL}};
  JobRun noProgram = Run(programme);
  EXPECT_TRUE(Has(noProgram.log, "ERROR: Cannot create program object")) << Show(noProgram.log);
  EXPECT_EQ(Starting(noProgram.calls, "Entries.Add"), Lines{});

  fake.failing = {{"Entries.Add", E_FAIL}};
  JobRun noEntry = Run(programme);
  EXPECT_TRUE(Has(noEntry.log, "TRACE: ScheduleEntry cannot be created: News"))
      << Show(noEntry.log);
  EXPECT_EQ(Starting(noEntry.calls, "Entry#"), Lines{});
  EXPECT_TRUE(noEntry.imported);
}

// Handled programmes, skipped clumps included, give 0 (the caller then destroys the element);
// rejected ones 24.
TEST_F(ProgrammeImportTest, ResultCodes) {
  {
    CEPGDataBase job(options, dialog);
    ASSERT_EQ(job.Open(), 0u);
    auto programme = [](const std::string& start, const char* clump, const char* title) {
      auto element = OKRXMLElement::CreateRoot("programme");
      element->AddAttribute("start", start);
      element->AddAttribute("stop", "20261207230000");
      element->AddAttribute("channel", "one");
      element->AddAttribute("clumpidx", clump);
      element->AddChild("title")->SetText(title);
      return element;
    };
    EXPECT_EQ(job.HandleProgramme(programme("20261207180000", "0/2", "First").get()), 0);
    EXPECT_EQ(job.HandleProgramme(programme("20261207180000", "1/2", "Second").get()), 0);
    EXPECT_EQ(job.HandleProgramme(programme("20261207180000", "2/3", "Third").get()), 0);
    EXPECT_EQ(job.HandleProgramme(programme("20261207190000", "1/2", "Orphan").get()), 24);
    EXPECT_EQ(job.HandleProgramme(programme("20261207190000", "", "").get()), 24);
    EXPECT_EQ(job.HandleProgramme(OKRXMLElement::CreateRoot("channel").get()), 24);
    EXPECT_EQ(job.HandleProgramme(nullptr), 24);
  }
  EXPECT_EQ(Show(fake.Unreleased()), "");
  EXPECT_EQ(Show(Starting(TakeLog(), "ERROR: ")),
            Show({"ERROR: Program has no title",
                  "ERROR: Parser seems broken: not in <programme> block"}));
}

TEST_F(ProgrammeImportTest, ClumpsShareTheEntryOfTheirFirstProgramme) {
  const std::string six = "20261207180000", seven = "20261207190000", eight = "20261207200000";
  JobRun run =
      Run(Tv(Programme(six, seven, "<title>First half</title>", " clumpidx=\"0/2\"") +
             Programme(six, seven, "<title>Second half</title>", " clumpidx=\" 1/2 \"") +
             Programme(six, seven, "<title>Third part</title>", " clumpidx=\"2/3\"") +
             Programme(six, seven, "<title>Tenth part</title>", " clumpidx=\"10/12\"") +
             Programme(seven, eight, "", " clumpidx=\"0/2\"") +
             Programme(seven, eight, "<title>Orphan</title>", " clumpidx=\"1/2\"") +
             Programme(eight, "20261207210000", "<title>Blank index</title>", " clumpidx=\"  \"")));
  EXPECT_TRUE(run.imported);
  EXPECT_EQ(Show(Starting(run.calls, "Entries.")),
            Show({
                "Entries.RemoveOlderThan(0)",
                "Entries.Add(one::20261207180000::20261207190000) -> Entry#1",
                "Entries.Reconcile(Entry#1)",
                "Entries.Find(one::20261207180000::20261207190000) -> Entry#1",
                "Entries.Find(one::20261207180000::20261207190000) -> Entry#1",
                "Entries.Find(one::20261207190000::20261207200000) -> null",
                "Entries.Add(one::20261207200000::20261207210000) -> Entry#2",
                "Entries.Reconcile(Entry#2)",
            }));
  EXPECT_EQ(Show(Starting(run.calls, "Entry#1.AddProgram")),
            Show({"Entry#1.AddProgram(Program#2)", "Entry#1.AddProgram(Program#4)"}));
  // The skipped clump's program is made and filled, and attached nowhere.
  EXPECT_TRUE(Has(run.calls, "Program#3.SetTitle(Third part)"));
  EXPECT_TRUE(Has(run.log,
                  "TRACE: Skipping additional clump: 'Third part' for event "
                  "one::20261207180000::20261207190000"))
      << Show(run.log);
  EXPECT_TRUE(Has(run.log, "TRACE: ScheduleEntry cannot be clumped: Orphan")) << Show(run.log);
  Lines dialogLines = DialogLines();
  EXPECT_EQ(Show(Lines(dialogLines.end() - 3, dialogLines.end())),
            Show({"First half", "Blank index", "Saving database..."}));
}

TEST_F(ProgrammeImportTest, EachNewEntryIsReconciledUnlessTheWholeGuideWasCleaned) {
  const std::string listings = Tv(Programme("202612071800", "202612071900", "<title>A</title>") +
                                  Programme("202612071900", "202612072000", "<title>B</title>"));
  JobRun kept = Run(listings);
  EXPECT_EQ(Count(Starting(kept.calls, "Entries.Reconcile"), "Entries.Reconcile(Entry#1)"), 1u);
  EXPECT_EQ(Starting(kept.calls, "Entries.Reconcile").size(), 2u);
  auto end =
      std::find(kept.calls.begin(), kept.calls.end(), "Entry#1.SetEndTime(2026,12,7,19,0,0)");
  ASSERT_NE(end, kept.calls.end());
  EXPECT_EQ(*(end + 1), "Entries.Reconcile(Entry#1)");

  options.m_bCleanAll = true;
  JobRun cleaned = Run(listings);
  EXPECT_EQ(Starting(cleaned.calls, "Entries.Add").size(), 2u);
  EXPECT_EQ(Starting(cleaned.calls, "Entries.Reconcile"), Lines{});
}

TEST_F(ProgrammeImportTest, ServiceFromTheMapElseTheComponentElseNone) {
  fake.AddService("known");  // Service#1; channel one becomes Service#2
  const std::string times = "start=\"202612071800\" stop=\"202612071900\"";
  JobRun run = Run(Tv(Programme("202612071800", "202612071900", "<title>Mapped</title>") +
                      ProgrammeWith(times + " channel=\"known\"", "<title>Known</title>") +
                      ProgrammeWith(times + " channel=\"ghost\"", "<title>Ghost</title>")));
  EXPECT_EQ(Show(Starting(run.calls, "Services.Lookup")),
            Show({"Services.Lookup(known) -> Service#1", "Services.Lookup(ghost) -> null"}));
  EXPECT_EQ(Show(Starting(run.calls, "Entry#")), Show({
                                                     "Entry#1.SetProvider(Provider#1)",
                                                     "Entry#1.SetService(Service#2)",
                                                     "Entry#1.SetProgram(Program#1)",
                                                     "Entry#1.SetStartTime(2026,12,7,18,0,0)",
                                                     "Entry#1.SetEndTime(2026,12,7,19,0,0)",
                                                     "Entry#2.SetProvider(Provider#1)",
                                                     "Entry#2.SetService(Service#1)",
                                                     "Entry#2.SetProgram(Program#2)",
                                                     "Entry#2.SetStartTime(2026,12,7,18,0,0)",
                                                     "Entry#2.SetEndTime(2026,12,7,19,0,0)",
                                                     "Entry#3.SetProvider(Provider#1)",
                                                     "Entry#3.SetService(null)",
                                                     "Entry#3.SetProgram(Program#3)",
                                                     "Entry#3.SetStartTime(2026,12,7,18,0,0)",
                                                     "Entry#3.SetEndTime(2026,12,7,19,0,0)",
                                                 }));
  EXPECT_EQ(Show(Starting(run.log, "TRACE: Cannot find channel")),
            Show({"TRACE: Cannot find channel: ghost"}));
}

TEST_F(ProgrammeImportTest, OffsetShiftsTheTimesButNotTheSlotKey) {
  options.m_nOffsetMinutes = 60;
  JobRun run = Run(Tv(Programme("20260131230000", "20260201000000", "<title>Late</title>")));
  EXPECT_TRUE(Has(run.log, "TRACE: Adding 60 minutes to the start and end times of all programs"));
  EXPECT_TRUE(Has(run.calls, "Entries.Add(one::20260131230000::20260201000000) -> Entry#1"));
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetStartTime(2026,2,1,0,0,0)")) << Show(run.calls);
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetEndTime(2026,2,1,1,0,0)")) << Show(run.calls);
}

// A blank and "UTC" after the stamp mark it as UTC; directly after the digits they do not.
TEST_F(ProgrammeImportTest, UtcStampsTakeTheCurrentZone) {
  std::optional<std::string> savedZone;
  if (const char* zone = getenv("TZ"))
    savedZone = zone;
  setenv("TZ", "XST-3", 1);  // three hours east of UTC, all year
  tzset();
  JobRun run =
      Run(Tv(Programme("20261207180000 UTC", "20261207230000UTC", "<title>Zoned</title>")));
  if (savedZone)
    setenv("TZ", savedZone->c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetStartTime(2026,12,7,21,0,0)")) << Show(run.calls);
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetEndTime(2026,12,7,23,0,0)")) << Show(run.calls);
}

}  // namespace
}  // namespace import_test
