// Listings files that are broken, hostile or strange, each imported by the real program into a
// database that already holds a guide: the run ends with a clear exit code and log line, and the
// guide holds exactly what it held before plus what the file gave before its fault.
#include <filesystem>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::ReadFile;

std::string Corpus(const std::string& name) {
  return std::string(RUZOZAZE_SOURCE_DIR) + "/tests/robustness/corpus/" + name;
}

class BadInputTest : public RobustnessTest {};

TEST_F(BadInputTest, FilesThatAreNoListingsLeaveTheGuideAlone) {
  std::vector<std::string> before = ImportEarlierGuide();
  struct Case {
    const char* file;
    const char* error;
  };
  for (Case c : {
           Case{"empty.xml", "at line 1, column 1: no element found"},
           Case{"garbage.bin", "at line 1, column 1: not well-formed (invalid token)"},
           Case{"listings.zip", "at line 1, column 3: not well-formed (invalid token)"},
           Case{"unknown_encoding.xml", "at line 1, column 31: unknown encoding"},
       }) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(Run({"/Logging:301", Corpus(c.file)}).exitCode, -1);
    EXPECT_TRUE(LogHas(" ERROR: XML error in '" + Corpus(c.file) + "' " + c.error + "\r\n"))
        << LogText();
    EXPECT_EQ(Guide(), before);
    EXPECT_TRUE(IntegrityOk());
  }
}

TEST_F(BadInputTest, BadBytesKeepWhatCameBeforeThem) {
  std::vector<std::string> before = ImportEarlierGuide();
  for (const char* file : {"invalid_utf8.xml", "nul_byte.xml"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(Run({"/Logging:301", Corpus(file)}).exitCode, -1);
    EXPECT_TRUE(LogHas(" ERROR: XML error in '" + Corpus(file) + "' at line 4, column "));
    EXPECT_TRUE(LogHas(": not well-formed (invalid token)\r\n"));
    EXPECT_EQ(Rows("SELECT channel_id, name FROM services ORDER BY channel_id"),
              (std::vector<std::string>{"before|Before the fault", "earlier|Earlier"}));
    EXPECT_EQ(Count("schedule_entries"), 2);
  }
}

TEST_F(BadInputTest, EntityBombStopsAtExpatsLimitInBoundedMemory) {
  std::vector<std::string> before = ImportEarlierGuide();
  ChildProcess child(Measured({"/Logging:301", Corpus("entity_bomb.xml")}));
  EXPECT_EQ(child.Wait(), -1);
  EXPECT_TRUE(
      LogHas("' at line 15, column 34: limit on input amplification factor (from DTD and "
             "entities) breached\r\n"))
      << LogText();
  // Expanded, the entity would take 3 GB.
  EXPECT_GT(child.PeakMemoryKiB(), 0);
  EXPECT_LT(child.PeakMemoryKiB(), kSanitized ? 512 * 1024 : 64 * 1024);
  EXPECT_EQ(Guide(), before);
}

// The content of a local file never reaches the guide or the log, whether the document names it
// as an entity in text, in an attribute value or as a parameter entity of its DTD.
TEST_F(BadInputTest, ExternalEntitiesAreNeverRead) {
  const std::string marker = "SECRET-MARKER-7d3f";
  std::string secret = WriteWorkFile("secret.txt", marker + "\n");
  std::string dtd = "<!DOCTYPE tv [\n<!ENTITY local SYSTEM \"file://" + secret +
                    "\">\n<!ENTITY % outer SYSTEM \"" + secret + "\">\n%outer;\n]>\n";
  std::string inText = WriteWorkFile(
      "in_text.xml", "<?xml version=\"1.0\"?>\n" + dtd +
                         "<tv>\n<channel id=\"c\"><display-name>Name &local;</display-name>"
                         "</channel>\n<programme start=\"20990101000000\" stop=\"20990101010000\" "
                         "channel=\"c\"><title>&local; Title</title></programme>\n</tv>\n");
  EXPECT_EQ(Run({"/Logging:101", inText}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT name FROM services"), std::vector<std::string>{"Name"});
  EXPECT_EQ(Rows("SELECT title FROM programs"), std::vector<std::string>{"Title"});

  std::string inAttribute = WriteWorkFile(
      "in_attribute.xml", "<?xml version=\"1.0\"?>\n" + dtd +
                              "<tv>\n<channel id=\"kept\"/>\n<channel id=\"&local;\"/>\n</tv>\n");
  EXPECT_EQ(Run({"/Logging:101", inAttribute}).exitCode, -1);
  EXPECT_TRUE(LogHas("' at line 9, column 14: reference to external entity in attribute\r\n"));
  EXPECT_EQ(Rows("SELECT channel_id FROM services ORDER BY channel_id"),
            (std::vector<std::string>{"c", "kept"}));

  for (const std::string& file : {database, database + "-wal", program + ".log"}) {
    EXPECT_EQ(ReadFile(file).find(marker), std::string::npos) << file;
  }
}

TEST_F(BadInputTest, StrangeValuesAreStoredVerbatim) {
  ImportEarlierGuide();
  EXPECT_EQ(Run({"/Logging:101", Corpus("odd_values.xml")}).exitCode, 0);
  // Every table is still there and the SQL text is a channel id like any other.
  EXPECT_EQ(Value("SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE "
                  "type = 'table' ORDER BY name)"),
            "metadata programs providers schedule_entries schedule_entry_programs services");
  EXPECT_EQ(Rows("SELECT channel_id, name FROM services ORDER BY id"),
            (std::vector<std::string>{"earlier|Earlier", "a::b|Colons", "q\"x'y|Quotes",
                                      "cr\r\nlf|Line break", "'); DROP TABLE services;--|SQL"}));
  // Times are the fields as read, also where they are no valid time; a stamp of 20 digits is
  // read to its 14th.
  EXPECT_EQ(
      Rows("SELECT s.channel_id, e.start_time, e.end_time, p.title FROM schedule_entries e "
           "LEFT JOIN services s ON s.id = e.service_id JOIN programs p ON p.id = e.program_id "
           "ORDER BY e.id"),
      (std::vector<std::string>{
          "earlier|2099-01-01 20:00:00|2099-01-01 21:00:00|One",
          "earlier|2099-01-01 21:00:00|2099-01-01 22:00:00|Two",
          "a::b|2099-13-01 00:00:00|2099-13-01 01:00:00|Month 13",
          "q\"x'y|2099-01-01 25:00:00|2099-01-01 26:00:00|Hour 25",
          "cr\r\nlf|2099-01-01 00:00:00|2099-01-01 01:00:00|Twenty digits",
          "'); DROP TABLE services;--|2099-01-01 00:00:00|2099-01-01 01:00:00|Clump 0",
          "NULL|2099-01-01 00:00:00|2099-01-01 01:00:00|No such channel",
      }));
  // A clump index of 99 digits is judged by its first one: 1 joins the slot, 9 is skipped.
  EXPECT_EQ(Rows("SELECT p.title FROM schedule_entry_programs a JOIN programs p "
                 "ON p.id = a.program_id"),
            std::vector<std::string>{"Clump 1"});
  EXPECT_TRUE(
      LogHas(" TRACE: Skipping additional clump: 'Clump 9' for event '); DROP TABLE "
             "services;--::20990101000000::20990101010000\r\n"));
  EXPECT_TRUE(LogHas(" TRACE: Cannot find channel: nowhere\r\n"));
  EXPECT_TRUE(LogHas(" ERROR: Channel id holds a line break: cr\r\nlf\r\n"));
  EXPECT_EQ(ChannelsText(), "a::b\r\nq\"x'y\r\n'); DROP TABLE services;--\r\n");
}

TEST_F(BadInputTest, TenThousandProgrammesInOneSlotGiveOneEntry) {
  std::string text = "<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"one\"/>\n";
  for (int i = 0; i < 10000; ++i) {
    text += "<programme start=\"20990101000000\" stop=\"20990101010000\" channel=\"one\"><title>" +
            std::to_string(i) + "</title></programme>\n";
  }
  EXPECT_EQ(Run({WriteWorkFile("one_slot.xml", text + "</tv>\n")}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT e.slot_key, p.title FROM schedule_entries e JOIN programs p "
                 "ON p.id = e.program_id"),
            std::vector<std::string>{"one::20990101000000::20990101010000|9999"});
  EXPECT_EQ(Count("programs"), 1);
  EXPECT_EQ(Count("schedule_entry_programs"), 0);
}

}  // namespace
}  // namespace robustness
