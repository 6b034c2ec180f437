// What imports of small listings files leave in the guide: times as the stamps give them and
// shifted by the offset, a later file replacing what it overlaps, and records the import rejects
// or cannot place.
#include "tests/e2e/guide_model.h"
#include "tests/support/program_fixture.h"

namespace {

using guide_model::ModelLines;
using guide_model::StoredEntries;

struct P {
  std::string channel, start, stop, title;
};

class GuideTest : public ProgramTest {
 protected:
  // A listings file of `channels` (ids) and programmes; an empty start leaves the attribute out.
  std::string Listings(const std::string& name, const std::vector<std::string>& channels,
                       const std::vector<P>& programmes, const std::string& more = "") {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + more;
    for (const std::string& id : channels)
      text += "  <channel id=\"" + id + "\"/>\n";
    for (const P& p : programmes) {
      text += "  <programme" + (p.start.empty() ? "" : " start=\"" + p.start + "\"") +
              (p.stop.empty() ? "" : " stop=\"" + p.stop + "\"") + " channel=\"" + p.channel +
              "\">\n    <title>" + p.title + "</title>\n  </programme>\n";
    }
    testing_support::WriteFile(work + "/" + name, text + "</tv>\n");
    return work + "/" + name;
  }
  std::vector<std::string> Entries() const {
    return Rows(
        "SELECT e.slot_key, e.start_time, e.end_time, p.title FROM schedule_entries e "
        "JOIN programs p ON p.id = e.program_id ORDER BY e.start_time, e.slot_key");
  }
};

TEST_F(GuideTest, TimesAreTheStampsFieldsShiftedByTheOffset) {
  std::string file = Listings("times.xml", {"c1"},
                              {{"c1", "20240301003000 +0100", "20240301013000 +0100", "Night"},
                               {"c1", "20240302120000 UTC", "20240302170000UTC", "Noon"}});
  // A zone three hours east of UTC all year: " UTC" after the digits converts, "UTC" right
  // behind them does not, and a numeric zone is ignored.
  std::map<std::string, std::string> east = {{"TZ", "<+03>-3"}};
  const std::string night = "c1::20240301003000 +0100::20240301013000 +0100|";
  const std::string noon = "c1::20240302120000 UTC::20240302170000UTC|";
  ASSERT_EQ(Run({file}, east).exitCode, 0);
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{night + "2024-03-01 00:30:00|2024-03-01 01:30:00|Night",
                                      noon + "2024-03-02 15:00:00|2024-03-02 17:00:00|Noon"}));
  ASSERT_EQ(Run({"/c", "/o:\"-90\"", file}, east).exitCode, 0);
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{night + "2024-02-29 23:00:00|2024-03-01 00:00:00|Night",
                                      noon + "2024-03-02 13:30:00|2024-03-02 15:30:00|Noon"}));
}

// Far in the future, so that no run removes the entries as ended.
TEST_F(GuideTest, LaterFileReplacesTheEntriesItOverlaps) {
  std::string first = Listings("first.xml", {"c1", "c2"},
                               {{"c1", "20990101100000", "20990101110000", "A"},
                                {"c1", "20990101110000", "20990101120000", "B"},
                                {"c1", "20990101120000", "20990101130000", "C"},
                                {"c1", "20990101140000", "20990101150000", "E"},
                                {"c2", "20990101100000", "20990101120000", "D"}});
  // A split in two, B moved half an hour later, C unchanged, E not covered.
  std::string later = Listings("later.xml", {"c1"},
                               {{"c1", "20990101100000", "20990101103000", "A1"},
                                {"c1", "20990101103000", "20990101110000", "A2"},
                                {"c1", "20990101113000", "20990101120000", "B"},
                                {"c1", "20990101120000", "20990101130000", "C"}});
  ASSERT_EQ(Run({first}).exitCode, 0);
  EXPECT_EQ(Count("schedule_entries"), 5);
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(Run({later}).exitCode, 0);
    EXPECT_EQ(
        Rows("SELECT s.channel_id, substr(e.start_time, 12, 5), substr(e.end_time, 12, 5), "
             "p.title FROM schedule_entries e JOIN services s ON s.id = e.service_id "
             "JOIN programs p ON p.id = e.program_id ORDER BY s.channel_id, e.start_time"),
        (std::vector<std::string>{"c1|10:00|10:30|A1", "c1|10:30|11:00|A2", "c1|11:30|12:00|B",
                                  "c1|12:00|13:00|C", "c1|14:00|15:00|E", "c2|10:00|12:00|D"}));
    EXPECT_EQ(Count("programs"), 6);
    EXPECT_EQ(Count("services"), 2);
  }
}

TEST_F(GuideTest, ProgrammeWithoutStartEmptiesNoChannel) {
  std::string day = Listings("day.xml", {"c1"},
                             {{"c1", "20990101100000", "20990101110000", "A"},
                              {"c1", "20990101110000", "20990101120000", "B"},
                              {"c1", "20990101120000", "20990101130000", "C"}});
  std::string broken = Listings(
      "broken.xml", {},
      {{"c1", "", "20990101123000", "No start"}, {"c1", "soon", "20990101113000", "Unreadable"}});
  ASSERT_EQ(Run({day}).exitCode, 0);
  ASSERT_EQ(Run({broken}).exitCode, 0);
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{
                "c1::::20990101123000|0000-00-00 00:00:00|2099-01-01 12:30:00|No start",
                "c1::soon::20990101113000|0000-00-00 00:00:00|2099-01-01 11:30:00|Unreadable",
                "c1::20990101100000::20990101110000|2099-01-01 10:00:00|2099-01-01 11:00:00|A",
                "c1::20990101110000::20990101120000|2099-01-01 11:00:00|2099-01-01 12:00:00|B",
                "c1::20990101120000::20990101130000|2099-01-01 12:00:00|2099-01-01 13:00:00|C"}));
}

// A whole clean leaves the job's own reconciling out; the guide must come out the same.
TEST_F(GuideTest, CleanGivesTheGuideOfAnEmptyDatabaseWithoutOverlaps) {
  std::string overlapping = Listings("overlapping.xml", {"c1", "c2"},
                                     {{"c1", "20990101100000", "20990101140000", "A"},
                                      {"c1", "20990101110000", "20990101120000", "B"},
                                      {"c2", "20990101100000", "20990101110000", "X"},
                                      {"c2", "20990101103000", "20990101104500", "Y"},
                                      {"c2", "20990101090000", "20990101100000", "Z"}});
  std::string later =
      Listings("later.xml", {"c1"}, {{"c1", "20990101123000", "20990101130000", "C"}});
  std::string empty = dir / "empty.sqlite";
  ASSERT_EQ(Run({overlapping}, {{"GLIMMERBOX_EPG_DB", empty}}).exitCode, 0);
  ASSERT_EQ(Run({later}).exitCode, 0);
  ASSERT_EQ(Run({"/c", overlapping}).exitCode, 0);
  EXPECT_EQ(guide_model::DumpGuide(database), guide_model::DumpGuide(empty));
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", overlapping));

  ASSERT_EQ(Run({later}).exitCode, 0);
  EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries a JOIN schedule_entries b "
                  "ON a.service_id = b.service_id AND a.id < b.id "
                  "AND a.start_time < b.end_time AND b.start_time < a.end_time"),
            "0");
  EXPECT_EQ(Count("schedule_entries"), 4);
}

TEST_F(GuideTest, RecordsThatCannotBePlacedFully) {
  // Also a title outside ASCII, stored intact.
  std::string file =
      Listings("odd.xml", {},
               {{"nowhere", "20240301100000", "20240301110000", "Lost"},
                {"c1", "20240301100000", "", "Endless"},
                {"c1", "20240301110000", "20240301120000", "T\xC3\xA9matik \xE2\x80\x99"}},
               "  <channel><display-name>No id</display-name></channel>\n"
               "  <channel id=\"c1\"><display-name>One</display-name></channel>\n");
  ASSERT_EQ(Run({"/Logging:101", file}, {{"TZ", "UTC0"}}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT channel_id, name FROM services"), std::vector<std::string>{"c1|One"});
  EXPECT_EQ(ChannelsText(), "c1\r\n");
  EXPECT_EQ(StoredEntries(database),
            (std::vector<std::string>{"c1::20240301110000::20240301120000|2024-03-01 11:00:00|"
                                      "2024-03-01 12:00:00|T\xC3\xA9matik \xE2\x80\x99|c1",
                                      "nowhere::20240301100000::20240301110000|2024-03-01 10:00:00|"
                                      "2024-03-01 11:00:00|Lost|NULL"}));
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", file));
  EXPECT_TRUE(LogShows(" TRACE: Cannot find channel: nowhere\r\n")) << LogText();
  EXPECT_TRUE(LogShows(" ERROR: Program has broken times\r\n")) << LogText();

  // At ERROR level the broken times are still reported, the missing channel is not.
  std::filesystem::remove(program + ".log");
  ASSERT_EQ(Run({"/Logging:301", "/c", file}).exitCode, 0);
  EXPECT_TRUE(LogShows(" ERROR: Program has broken times\r\n")) << LogText();
  EXPECT_FALSE(LogShows("Cannot find channel")) << LogText();
  EXPECT_EQ(Count("schedule_entries"), 2);
}

}  // namespace
