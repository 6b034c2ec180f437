// What imports of small listings files leave in the guide: times as the stamps give them and
// shifted by the offset, a later file replacing what it overlaps, and records the import rejects
// or cannot place.
#include "tests/e2e/guide_model.h"
#include "tests/e2e/program_fixture.h"

namespace {

using guide_model::ModelLines;
using guide_model::StoredEntries;
using testing_support::WriteFile;

constexpr char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";

std::string Programme(const std::string& channel, const std::string& start, const std::string& stop,
                      const std::string& title) {
  return "  <programme start=\"" + start + "\" stop=\"" + stop + "\" channel=\"" + channel +
         "\">\n    <title>" + title + "</title>\n  </programme>\n";
}

class GuideTest : public ProgramTest {
 protected:
  std::string Listings(const std::string& name, const std::string& body) {
    std::string path = work + "/" + name;
    WriteFile(path, kHeader + body + "</tv>\n");
    return path;
  }
  std::vector<std::string> Entries() const {
    return Rows(
        "SELECT e.slot_key, e.start_time, e.end_time, p.title FROM schedule_entries e "
        "JOIN programs p ON p.id = e.program_id ORDER BY e.start_time, e.slot_key");
  }
};

TEST_F(GuideTest, TimesAreTheStampsFieldsShiftedByTheOffset) {
  std::string file = Listings(
      "times.xml", "  <channel id=\"c1\"/>\n" +
                       Programme("c1", "20240301003000 +0100", "20240301013000 +0100", "Night") +
                       Programme("c1", "20240302120000 UTC", "20240302170000UTC", "Noon"));
  // A zone three hours east of UTC all year: " UTC" after the digits converts, "UTC" right
  // behind them does not, and a numeric zone is ignored.
  std::map<std::string, std::string> east = {{"TZ", "<+03>-3"}};
  ASSERT_EQ(Run({file}, east).exitCode, 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{
                           "c1::20240301003000 +0100::20240301013000 +0100|"
                           "2024-03-01 00:30:00|2024-03-01 01:30:00|Night",
                           "c1::20240302120000 UTC::20240302170000UTC|"
                           "2024-03-02 15:00:00|2024-03-02 17:00:00|Noon",
                       }));
  ASSERT_EQ(Run({"/c", "/o:\"-90\"", file}, east).exitCode, 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{
                           "c1::20240301003000 +0100::20240301013000 +0100|"
                           "2024-02-29 23:00:00|2024-03-01 00:00:00|Night",
                           "c1::20240302120000 UTC::20240302170000UTC|"
                           "2024-03-02 13:30:00|2024-03-02 15:30:00|Noon",
                       }));
}

TEST_F(GuideTest, LaterFileReplacesTheEntriesItOverlaps) {
  // Far in the future, so that no run removes them as ended.
  std::string first =
      Listings("first.xml", "  <channel id=\"c1\"/>\n  <channel id=\"c2\"/>\n" +
                                Programme("c1", "20990101100000", "20990101110000", "A") +
                                Programme("c1", "20990101110000", "20990101120000", "B") +
                                Programme("c1", "20990101120000", "20990101130000", "C") +
                                Programme("c1", "20990101140000", "20990101150000", "E") +
                                Programme("c2", "20990101100000", "20990101120000", "D"));
  // A split in two, B moved half an hour later, C unchanged, E not covered.
  std::string later =
      Listings("later.xml", "  <channel id=\"c1\"/>\n" +
                                Programme("c1", "20990101100000", "20990101103000", "A1") +
                                Programme("c1", "20990101103000", "20990101110000", "A2") +
                                Programme("c1", "20990101113000", "20990101120000", "B") +
                                Programme("c1", "20990101120000", "20990101130000", "C"));
  ASSERT_EQ(Run({first}).exitCode, 0);
  EXPECT_EQ(Count("schedule_entries"), 5);
  ASSERT_EQ(Run({later}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT s.channel_id, e.start_time, e.end_time, p.title FROM schedule_entries e "
                 "JOIN services s ON s.id = e.service_id JOIN programs p ON p.id = e.program_id "
                 "ORDER BY s.channel_id, e.start_time"),
            (std::vector<std::string>{
                "c1|2099-01-01 10:00:00|2099-01-01 10:30:00|A1",
                "c1|2099-01-01 10:30:00|2099-01-01 11:00:00|A2",
                "c1|2099-01-01 11:30:00|2099-01-01 12:00:00|B",
                "c1|2099-01-01 12:00:00|2099-01-01 13:00:00|C",
                "c1|2099-01-01 14:00:00|2099-01-01 15:00:00|E",
                "c2|2099-01-01 10:00:00|2099-01-01 12:00:00|D",
            }));
  EXPECT_EQ(Count("programs"), 6);
  EXPECT_EQ(Count("services"), 2);
  ASSERT_EQ(Run({later}).exitCode, 0);
  EXPECT_EQ(Count("schedule_entries"), 6);
  EXPECT_EQ(Count("programs"), 6);
}

TEST_F(GuideTest, ProgrammeWithoutStartEmptiesNoChannel) {
  std::string day =
      Listings("day.xml", "  <channel id=\"c1\"/>\n" +
                              Programme("c1", "20990101100000", "20990101110000", "A") +
                              Programme("c1", "20990101110000", "20990101120000", "B") +
                              Programme("c1", "20990101120000", "20990101130000", "C"));
  std::string broken = Listings("broken.xml",
                                "  <programme stop=\"20990101123000\" channel=\"c1\">"
                                "<title>No start</title></programme>\n" +
                                    Programme("c1", "soon", "20990101113000", "Unreadable"));
  ASSERT_EQ(Run({day}).exitCode, 0);
  ASSERT_EQ(Run({broken}).exitCode, 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{
                           "c1::::20990101123000|0000-00-00 00:00:00|2099-01-01 12:30:00|No start",
                           "c1::soon::20990101113000|0000-00-00 00:00:00|2099-01-01 11:30:00|"
                           "Unreadable",
                           "c1::20990101100000::20990101110000|2099-01-01 10:00:00|"
                           "2099-01-01 11:00:00|A",
                           "c1::20990101110000::20990101120000|2099-01-01 11:00:00|"
                           "2099-01-01 12:00:00|B",
                           "c1::20990101120000::20990101130000|2099-01-01 12:00:00|"
                           "2099-01-01 13:00:00|C",
                       }));
}

// A whole clean leaves the job's own reconciling out; the guide must come out the same.
TEST_F(GuideTest, CleanGivesTheGuideOfAnEmptyDatabaseWithoutOverlaps) {
  std::string overlapping =
      Listings("overlapping.xml", "  <channel id=\"c1\"/>\n  <channel id=\"c2\"/>\n" +
                                      Programme("c1", "20990101100000", "20990101140000", "A") +
                                      Programme("c1", "20990101110000", "20990101120000", "B") +
                                      Programme("c2", "20990101100000", "20990101110000", "X") +
                                      Programme("c2", "20990101103000", "20990101104500", "Y") +
                                      Programme("c2", "20990101090000", "20990101100000", "Z"));
  std::string later =
      Listings("later.xml", "  <channel id=\"c1\"/>\n" +
                                Programme("c1", "20990101123000", "20990101130000", "C"));
  std::string empty = dir / "empty.sqlite";
  ASSERT_EQ(Run({overlapping}, {{"GLIMMERBOX_EPG_DB", empty}}).exitCode, 0);
  ASSERT_EQ(Run({later}).exitCode, 0);
  ASSERT_EQ(Run({"/c", overlapping}).exitCode, 0);
  EXPECT_EQ(guide_model::GuideContent(database), guide_model::GuideContent(empty));
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", overlapping));

  ASSERT_EQ(Run({later}).exitCode, 0);
  EXPECT_EQ(Value("SELECT count(*) FROM schedule_entries a JOIN schedule_entries b "
                  "ON a.service_id = b.service_id AND a.id < b.id "
                  "AND a.start_time < b.end_time AND b.start_time < a.end_time"),
            "0");
  EXPECT_EQ(Count("schedule_entries"), 4);
}

TEST_F(GuideTest, RecordsThatCannotBePlacedFully) {
  std::string file = Listings("odd.xml",
                              "  <channel>\n    <display-name>No id</display-name>\n  </channel>\n"
                              "  <channel id=\"c1\"><display-name>One</display-name></channel>\n" +
                                  Programme("nowhere", "20240301100000", "20240301110000", "Lost") +
                                  "  <programme start=\"20240301100000\" channel=\"c1\">"
                                  "<title>Endless</title></programme>\n" +
                                  Programme("c1", "20240301110000", "20240301120000", "Fine"));
  ASSERT_EQ(Run({"/Logging:101", file}, {{"TZ", "UTC0"}}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT channel_id, name FROM services"), std::vector<std::string>{"c1|One"});
  EXPECT_EQ(ChannelsText(), "c1\r\n");
  EXPECT_EQ(StoredEntries(database),
            (std::vector<std::string>{
                "c1::20240301110000::20240301120000|2024-03-01 11:00:00|2024-03-01 12:00:00|"
                "Fine|c1",
                "nowhere::20240301100000::20240301110000|2024-03-01 10:00:00|"
                "2024-03-01 11:00:00|Lost|NULL",
            }));
  EXPECT_EQ(StoredEntries(database), ModelLines("entries", file));
  std::string log = LogText();
  EXPECT_NE(log.find(" TRACE: Cannot find channel: nowhere\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" ERROR: Program has broken times\r\n"), std::string::npos) << log;

  // At ERROR level the broken times are still reported, the missing channel is not.
  std::filesystem::remove(program + ".log");
  ASSERT_EQ(Run({"/Logging:301", "/c", file}).exitCode, 0);
  log = LogText();
  EXPECT_NE(log.find(" ERROR: Program has broken times\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Cannot find channel"), std::string::npos) << log;
  EXPECT_EQ(Count("schedule_entries"), 2);

  ASSERT_EQ(Run({"/x", file}).exitCode, 0);
  EXPECT_EQ(ChannelsText(), "c1\r\n");
}

}  // namespace
