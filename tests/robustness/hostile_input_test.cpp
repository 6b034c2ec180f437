// Listings files that are broken, hostile or big where listings are small, each imported by the
// real program into a database that already holds a guide: the run ends with its exit code and
// log line, in bounded memory where the input would take more, and the guide holds what it held
// before plus what the file gave before its fault. Extraction meets the same files.
#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::ReadFile;

constexpr char kAfter[] =
    "<channel id=\"after\"/><programme start=\"20990102000000\" stop=\"20990102010000\" "
    "channel=\"after\"><title>After</title></programme>\n";

std::string Repeated(const std::string& text, size_t times) {
  std::string all;
  all.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i)
    all += text;
  return all;
}

// Each case is imported into a database holding an earlier guide; the big ones run as tests of
// their own, so that they may run side by side.
class HostileInputTest : public RobustnessTest {
 protected:
  struct Case {
    std::string file, content;  // a file of the corpus when there is no content
    int exitCode;
    std::string error, channels, titles;
    long maxKiB;   // 0: not measured
    bool extract;  // extraction too
  };

  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      ImportEarlierGuide();
      std::string file = c.content.empty() ? corpus + c.file : Write(c.file, c.content);
      for (std::string job : {"", "/x"}) {
        if (!job.empty() && !c.extract)
          continue;
        long peak = PeakKiB(job.empty() ? std::vector<std::string>{"/Logging:301", file}
                                        : std::vector<std::string>{"/Logging:301", job, file},
                            c.exitCode);
        if (c.maxKiB > 0 && !kSanitized) {
          EXPECT_GT(peak, 0) << job;
          EXPECT_LT(peak, c.maxKiB) << job;
        }
        if (c.error.empty())
          continue;
        EXPECT_TRUE(LogHas(" ERROR: XML error in '" + file + "' " + c.error)) << LogText();
      }
      EXPECT_TRUE(IntegrityOk());
      EXPECT_EQ(
          Value(
              "SELECT group_concat(channel_id) FROM (SELECT channel_id FROM services ORDER BY id)"),
          c.channels);
      EXPECT_EQ(Value("SELECT group_concat(title) FROM (SELECT title FROM programs ORDER BY id)"),
                c.titles);
      std::filesystem::remove(database);
      std::filesystem::remove(program + ".log");
    }
  }

  const std::string corpus = RUZOZAZE_SOURCE_DIR "/tests/robustness/corpus/";
  const std::string head = "<?xml version=\"1.0\"?>\n<tv>\n";
};

TEST_F(HostileInputTest, BrokenFilesEndAsTheFaultSaysAndKeepWhatCameBefore) {
  Check({
      {"empty.xml", "", -1, "at line 1, column 1: no element found", "earlier", "One,Two", 0,
       false},
      {"garbage.bin", "", -1, "at line 1, column 1: not well-formed (invalid token)", "earlier",
       "One,Two", 0, false},
      {"listings.zip", "", -1, "at line 1, column 3: not well-formed (invalid token)", "earlier",
       "One,Two", 0, false},
      {"unknown_encoding.xml", "", -1, "at line 1, column 31: unknown encoding", "earlier",
       "One,Two", 0, false},
      {"invalid_utf8.xml", "", -1, "at line 4, column ", "earlier,before", "One,Two", 0, false},
      {"nul_byte.xml", "", -1, "at line 4, column ", "earlier,before", "One,Two", 0, false},
      // Expanded, the entity would take 3 GB.
      {"entity_bomb.xml", "", -1,
       "at line 15, column 34: limit on input amplification factor (from DTD and entities) "
       "breached",
       "earlier", "One,Two", 64 * 1024, false},
      // 20 KB of gzip holding 20 MB of listings.
      {"thousandfold.xml.gz", "", 0, "", "earlier,gz", "One,Two,First,Last", 64 * 1024, false},
  });
}

TEST_F(HostileInputTest, DeepNestingAndHugeValuesAreReadInFull) {
  Check({
      // The elements stay open until the end, but teardown is iterative: no stack overflow.
      {"nested.xml", head + Repeated("<a>", 1000000) + Repeated("</a>", 1000000) + kAfter + "</tv>",
       0, "", "earlier,after", "One,Two,After", 0, true},
      {"attribute.xml",
       head + kAfter + "<programme start=\"20990101000000\" stop=\"20990101010000\" " +
           "channel=\"after\" huge=\"" + std::string((kSanitized ? 20 : 100) << 20, 'x') +
           "\"><title>Huge</title></programme></tv>",
       0, "", "earlier,after", "One,Two,After,Huge", 0, false},
  });
}

TEST_F(HostileInputTest, ManyRecordsDroppedOrReplacedStayOutOfMemory) {
  Check({
      // Programmes without a stop time are rejected, channels without an id too, other
      // elements are not read: none of them stays in memory.
      {"rejected.xml",
       head + kAfter +
           Repeated("<channel><display-name>No id</display-name></channel>\n<other><display-name>"
                    "Other</display-name></other>\n<programme start=\"20990101000000\" "
                    "channel=\"after\"><title>No stop</title><desc>" +
                        std::string(100, 'd') + "</desc></programme>\n",
                    100000) +
           "</tv>",
       0, "", "earlier,after", "One,Two,After", 24 * 1024, true},
      // The last programme of a slot replaces the others.
      {"one_slot.xml",
       head + "<channel id=\"one\"/>\n" +
           [] {
             std::string all;
             for (int i = 0; i < 10000; ++i)
               all +=
                   "<programme start=\"20990101000000\" stop=\"20990101010000\" "
                   "channel=\"one\"><title>" +
                   std::to_string(i) + "</title></programme>\n";
             return all;
           }() +
           "</tv>",
       0, "", "earlier,one", "One,Two,9999", 0, false},

  });
}

// The content of a local file never reaches the guide or the log, whether the document names it
// as an entity in text, in an attribute value or as a parameter entity of its DTD.
TEST_F(HostileInputTest, ExternalEntitiesAreNeverRead) {
  const std::string marker = "SECRET-MARKER-7d3f";
  std::string secret = Write("secret.txt", marker + "\n");
  std::string dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY local SYSTEM \"file://" +
                    secret + "\">\n<!ENTITY % outer SYSTEM \"" + secret + "\">\n%outer;\n]>\n";
  std::string inText = Write(
      "in_text.xml", dtd +
                         "<tv>\n<channel id=\"c\"><display-name>Name &local;</display-name>"
                         "</channel>\n<programme start=\"20990101000000\" stop=\"20990101010000\" "
                         "channel=\"c\"><title>&local; Title</title></programme>\n</tv>\n");
  EXPECT_EQ(Run({"/Logging:101", inText}).exitCode, 0);
  EXPECT_EQ(Value("SELECT name || '|' || title FROM services, programs"), "Name|Title");
  std::string inAttribute =
      Write("in_attribute.xml", dtd + "<tv>\n<channel id=\"kept\"/>\n<channel id=\"&local;\"/>\n");
  EXPECT_EQ(Run({"/Logging:101", inAttribute}).exitCode, -1);
  EXPECT_TRUE(LogHas("' at line 9, column 14: reference to external entity in attribute\r\n"));
  EXPECT_EQ(Value("SELECT group_concat(channel_id) FROM services"), "c,kept");
  for (const std::string& file : {database, database + "-wal", program + ".log"})
    EXPECT_EQ(ReadFile(file).find(marker), std::string::npos) << file;
}

// Values no real listings hold are stored as read: quotes, a line break and SQL in channel ids,
// impossible times, a stamp of 20 digits read to its 14th, clump indexes of 99 digits judged by
// their first (1 joins the slot, 9 is skipped).
TEST_F(HostileInputTest, StrangeValuesAreStoredVerbatim) {
  EXPECT_EQ(Run({RUZOZAZE_SOURCE_DIR "/tests/robustness/corpus/odd_values.xml"}).exitCode, 0);
  EXPECT_EQ(Value("SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE "
                  "type = 'table' ORDER BY name)"),
            "metadata programs providers schedule_entries schedule_entry_programs services");
  const std::string sql = "'); DROP TABLE services;--";
  EXPECT_EQ(Guide(), (std::vector<std::string>{
                         "a::b|Colons",
                         "q\"x'y|Quotes",
                         "cr\r\nlf|Line break",
                         sql + "|SQL",
                         "a::b::20991301000000::20991301010000|2099-13-01 00:00:00|2099-13-01 "
                         "01:00:00|a::b|Month 13",
                         "q\"x'y::20990101250000::20990101260000|2099-01-01 25:00:00|2099-01-01 "
                         "26:00:00|q\"x'y|Hour 25",
                         "cr\r\nlf::20990101000000123456::20990101010000999999|2099-01-01 "
                         "00:00:00|2099-01-01 01:00:00|cr\r\nlf|Twenty digits",
                         sql +
                             "::20990101000000::20990101010000|2099-01-01 00:00:00|2099-01-01 "
                             "01:00:00|" +
                             sql + "|Clump 0",
                         "nowhere::20990101000000::20990101010000|2099-01-01 00:00:00|2099-01-01 "
                         "01:00:00|NULL|No such channel",
                     }));
  EXPECT_EQ(Value("SELECT p.title FROM schedule_entry_programs a JOIN programs p "
                  "ON p.id = a.program_id"),
            "Clump 1");
  EXPECT_EQ(ChannelsText(), "a::b\r\nq\"x'y\r\n" + sql + "\r\n");
}

}  // namespace
}  // namespace robustness
