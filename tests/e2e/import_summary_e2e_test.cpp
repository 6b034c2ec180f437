// The summary an import ends with: its counts, the silence of unattended runs, and the last word
// left on a terminal.
#include "tests/e2e/program_fixture.h"
#include "tests/support/pty_session.h"

namespace {

using testing_support::WriteFile;

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

class ImportSummaryTest : public ProgramTest {};

TEST_F(ImportSummaryTest, CountsEveryOutcomeOnceAndStaysOffTheScreenOfUnattendedRuns) {
  WriteFile(work + "/every.xml", kEveryOutcome);
  auto r = Run({"/Logging:101", "every.xml"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_NE(LogText().find(std::string(" TRACE: ") + kEveryOutcomeSummary + "\r\n"),
            std::string::npos)
      << LogText();
  EXPECT_EQ(Count("schedule_entries"), 4);
  EXPECT_EQ(Count("schedule_entry_programs"), 2);
}

TEST_F(ImportSummaryTest, FailedImportStillEndsWithItsSummary) {
  WriteFile(work + "/broken.xml",
            "<tv><channel id=\"one\"/><programme start=\"20240301060000\" "
            "stop=\"20240301070000\" channel=\"one\"><title>Kept</title></programme><oops></tv>");
  EXPECT_EQ(Run({"/Logging:101", "broken.xml"}).exitCode, -1);
  EXPECT_NE(LogText().find(" TRACE: Import summary: 1 channels read (0 without id), 1 programmes "
                           "read; 1 schedule entries added"),
            std::string::npos);
}

TEST_F(ImportSummaryTest, TerminalKeepsTheSummaryBelowTheFinishedDialog) {
  WriteFile(work + "/every.xml", kEveryOutcome);
  ExportEnvironment();
  testing_support::PtySession session({program, "every.xml"}, work);
  EXPECT_EQ(session.Finish(), 0);
  std::string screen = testing_support::WithoutControlSequences(session.Output());
  size_t finished = screen.rfind("XMLTV import finished");
  size_t summary = screen.find(kEveryOutcomeSummary);
  ASSERT_NE(finished, std::string::npos) << screen;
  ASSERT_NE(summary, std::string::npos) << screen;
  EXPECT_LT(finished, summary);
  EXPECT_LT(screen.rfind("Press Ctrl-C to cancel"), summary);
  EXPECT_EQ(testing_support::CountOf(screen, "Import summary: "), 1u);
  EXPECT_EQ(Count("schedule_entries"), 4);
}

}  // namespace
