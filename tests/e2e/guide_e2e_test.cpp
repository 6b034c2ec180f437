// What imports of small listings files leave in the guide: a later file replacing what it
// overlaps, with or without a whole clean.
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
  // A listings file of `channels` (ids) and programmes; an empty stamp leaves its attribute out.
  std::string Listings(const std::string& name, const std::vector<std::string>& channels,
                       const std::vector<P>& programmes, const std::string& more = "") {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + more;
    for (const std::string& id : channels)
      text += "  <channel id=\"" + id + "\"/>\n";
    for (const P& p : programmes) {
      text += "  <programme" + (p.start.empty() ? "" : " start=\"" + p.start + "\"") +
              (p.stop.empty() ? "" : " stop=\"" + p.stop + "\"") + " channel=\"" + p.channel +
              "\"><title>" + p.title + "</title></programme>\n";
    }
    testing_support::WriteFile(work + "/" + name, text + "</tv>\n");
    return work + "/" + name;
  }
};

// Far in the future, so that no run removes the entries as ended. A later file replaces what it
// overlaps, but a programme without a start, or with one that cannot be read, replaces nothing.
// A whole clean leaves the job's own reconciling out: the guide must come out the same.
TEST_F(GuideTest, LaterFilesReplaceWhatTheyOverlapWithOrWithoutAWholeClean) {
  // Y replaces D.
  std::string first = Listings("first.xml", {"c1", "c2"},
                               {{"c1", "20990101100000", "20990101110000", "A"},
                                {"c1", "20990101110000", "20990101120000", "B"},
                                {"c1", "20990101120000", "20990101130000", "C"},
                                {"c1", "20990101140000", "20990101150000", "E"},
                                {"c2", "20990101100000", "20990101120000", "D"},
                                {"c2", "20990101110000", "20990101113000", "Y"}});
  // A split in two, B moved half an hour later, C unchanged, E not covered.
  std::string later = Listings("later.xml", {"c1", "c2"},
                               {{"c2", "", "20990101113000", "No start"},
                                {"c2", "soon", "20990101113000", "Unreadable"},
                                {"c1", "20990101100000", "20990101103000", "A1"},
                                {"c1", "20990101103000", "20990101110000", "A2"},
                                {"c1", "20990101113000", "20990101120000", "B"},
                                {"c1", "20990101120000", "20990101130000", "C"}});
  std::string empty = dir / "empty.sqlite";
  ASSERT_EQ(Run({first}, {{"GLIMMERBOX_EPG_DB", empty}}).exitCode, 0);
  EXPECT_EQ(StoredEntries(empty), ModelLines("entries", first));
  for (std::vector<std::string> args : {std::vector<std::string>{first}, {"/c", first}}) {
    ASSERT_EQ(Run(args).exitCode, 0);
    EXPECT_EQ(guide_model::DumpGuide(database), guide_model::DumpGuide(empty));
    for (int run = 0; run < 2; ++run) {
      ASSERT_EQ(Run({later}).exitCode, 0);
      EXPECT_EQ(Rows("SELECT s.channel_id, substr(e.start_time, 1, 16), substr(e.end_time, 12, 5), "
                     "p.title FROM schedule_entries e JOIN services s ON s.id = e.service_id "
                     "JOIN programs p ON p.id = e.program_id ORDER BY 1, 2, 4"),
                (std::vector<std::string>{
                    "c1|2099-01-01 10:00|10:30|A1", "c1|2099-01-01 10:30|11:00|A2",
                    "c1|2099-01-01 11:30|12:00|B", "c1|2099-01-01 12:00|13:00|C",
                    "c1|2099-01-01 14:00|15:00|E", "c2|0000-00-00 00:00|11:30|No start",
                    "c2|0000-00-00 00:00|11:30|Unreadable", "c2|2099-01-01 11:00|11:30|Y"}));
      EXPECT_EQ(Count("programs"), 8);
    }
  }
}

}  // namespace
