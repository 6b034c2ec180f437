// Listings files that are broken, hostile, cut short or big where listings are small, each run by
// the real program: the run ends with its exit code and log line, in bounded memory where the
// input would take more, the database passes its integrity check, and the guide holds what it
// held before plus exactly the records the file gave before its fault.
#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

using testing_support::CountOf;

struct Case {
  std::string file, content;  // a file of the corpus when there is no content
  int exitCode;
  std::string error;  // the XML error behind the file's name in the log
  // Channel ids, '|', the entries' titles in the file's order; "" for a database without tables.
  std::string guide;
  long maxKiB = 0;             // 0: not measured
  std::string extracted = "";  // when set, extraction too, and the channels.txt it writes
};

std::string Repeated(const std::string& text, size_t times) {
  std::string all;
  for (size_t i = 0; i < times; ++i)
    all += text;
  return all;
}

const std::string kHead = "<?xml version=\"1.0\"?>\n<tv>\n";
const std::string kAfter =
    "<channel id=\"after\"/><programme start=\"20990102000000\" stop=\"20990102010000\" "
    "channel=\"after\"><title>After</title></programme>\n";

class HostileInputTest : public RobustnessTest {
 protected:
  // Each case meets a database that holds the earlier guide, or, without `earlier`, none.
  void Check(const std::vector<Case>& cases, bool earlier = true) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      std::filesystem::remove(database);
      std::filesystem::remove(program + ".log");
      if (earlier)
        ImportEarlierGuide();
      std::string file = c.content.empty() ? kCorpus + c.file : Write(c.file, c.content);
      auto run = [&](std::vector<std::string> args) {
        if (!c.error.empty())  // not with many records rejected: each log line opens the file
          args.insert(args.begin(), "/Logging:301");
        // Measured by time(1): a fork of the test would count the test's pages as its own.
        args.insert(args.begin(), {"-q", "-f", "%M", "-o", dir / "peak", program});
        EXPECT_EQ(Start("/usr/bin/time", args).exitCode, c.exitCode);
        std::string kib = testing_support::ReadFile(dir / "peak");
        EXPECT_TRUE(c.maxKiB == 0 || kSanitized || (!kib.empty() && std::stol(kib) < c.maxKiB))
            << kib;
        EXPECT_TRUE(c.error.empty() || LogShows(" ERROR: XML error in '" + file + "' " + c.error))
            << LogText();
      };
      run({file});
      if (!c.extracted.empty()) {
        run({"/x", file});
        EXPECT_EQ(ChannelsText(), c.extracted);
      }
      for (const std::string& stored : {database, program + ".log"})
        EXPECT_EQ(testing_support::ReadFile(stored).find(kSecret), std::string::npos) << stored;
      if (Value("SELECT count(*) FROM sqlite_master") == "0") {
        EXPECT_EQ(c.guide, "");
        continue;
      }
      EXPECT_TRUE(IntegrityOk());
      EXPECT_EQ(Value("SELECT (SELECT group_concat(channel_id) FROM (SELECT channel_id FROM "
                      "services ORDER BY id)) || '|' || (SELECT coalesce(group_concat(title), '') "
                      "FROM (SELECT p.title FROM schedule_entries e LEFT JOIN programs p ON p.id "
                      "= e.program_id ORDER BY e.program_id))"),
                c.guide);
    }
  }

  const std::string kCorpus = RUZOZAZE_SOURCE_DIR "/tests/robustness/corpus/";
  const std::string kSecret = "SECRET-MARKER-7d3f";
};

// Among them external entities: the content of a local file never reaches the guide or the log,
// whether the document names it in text, in an attribute value or as a parameter entity of its DTD.
TEST_F(HostileInputTest, BrokenFilesEndAsTheFaultSaysAndKeepWhatCameBefore) {
  const std::string sql = "'); DROP TABLE services;--";
  std::string dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY local SYSTEM \"file://" +
                    Write("secret.txt", kSecret) + "\">\n<!ENTITY % outer SYSTEM \"" + work +
                    "/secret.txt\">\n%outer;\n]>\n<tv>\n<channel id=\"c\"/>\n";
  Check({
      {"empty.xml", "", -1, "at line 1, column 1: no element found", "earlier0|Show 0,Show 1"},
      {"garbage.bin", "", -1, "at line 1, column 1: not well-formed (invalid token)",
       "earlier0|Show 0,Show 1"},
      {"unknown_encoding.xml", "", -1, "at line 1, column 31: unknown encoding",
       "earlier0|Show 0,Show 1"},
      {"invalid_utf8.xml", "", -1, "at line 4, column ", "earlier0,before|Show 0,Show 1"},
      {"nul_byte.xml", "", -1, "at line 4, column ", "earlier0,before|Show 0,Show 1"},
      // Expanded, the entity would take 3 GB.
      {"entity_bomb.xml", "", -1,
       "at line 15, column 34: limit on input amplification factor (from DTD and entities) "
       "breached",
       "earlier0|Show 0,Show 1", 64 * 1024},
      // 20 KB of gzip holding 20 MB of listings.
      {"thousandfold.xml.gz", "", 0, "", "earlier0,gz|Show 0,Show 1,First,Last", 64 * 1024},
      // Values no real listings hold are stored as read: quotes, a line break and SQL in
      // channel ids, impossible times, clump indexes of 99 digits.
      {"odd_values.xml", "", 0, "",
       "earlier0,a::b,q\"x'y,cr\r\nlf," + sql +
           "|Show 0,Show 1,Month 13,Hour 25,Twenty digits,Clump 0,No such channel",
       0, "a::b\r\nq\"x'y\r\n" + sql + "\r\n"},
      {"in_text.xml",
       dtd + "<programme start=\"20990101000000\" stop=\"20990101010000\" channel=\"c\"><title>"
             "&local; Title</title></programme>\n</tv>\n",
       0, "", "earlier0,c|Show 0,Show 1,Title"},
      {"in_attribute.xml", dtd + "<channel id=\"&local;\"/>\n", -1,
       "at line 9, column 14: reference to external entity in attribute",
       "earlier0,c|Show 0,Show 1"},
  });
}

TEST_F(HostileInputTest, BigInputsAreReadInFullInBoundedMemory) {
  const std::string slot =
      "<programme start=\"20990101000000\" stop=\"20990101010000\" "
      "channel=\"after\"";
  Check({
      // The elements stay open until the end, but teardown is iterative: no stack overflow.
      {"nested.xml",
       kHead + Repeated("<a>", 1000000) + Repeated("</a>", 1000000) + kAfter + "</tv>", 0, "",
       "earlier0,after|Show 0,Show 1,After", 0, "after\r\n"},
      {"attribute.xml",
       kHead + kAfter + slot + " huge=\"" + std::string((kSanitized ? 20 : 100) << 20, 'x') +
           "\"><title>Huge</title></programme></tv>",
       0, "", "earlier0,after|Show 0,Show 1,After,Huge"},
      // Programmes without a stop time are rejected, channels without an id too, other
      // elements are not read: none of them stays in memory.
      {"rejected.xml",
       kHead + kAfter +
           Repeated("<channel><display-name>No id</display-name></channel>\n<other><display-name>"
                    "Other</display-name></other>\n<programme start=\"20990101000000\" "
                    "channel=\"after\"><title>No stop</title><desc>" +
                        std::string(100, 'd') + "</desc></programme>\n",
                    100000) +
           "</tv>",
       0, "", "earlier0,after|Show 0,Show 1,After", 24 * 1024, "after\r\n"},
  });
}

// Listings cut off as an interrupted download leaves them, in a byte-order mark and inside the
// Cyrillic characters of channel ids too, into a new database: the cut fell behind the document's
// end (0) or not (-1), and the guide holds the channels and entries that end before it.
TEST_F(HostileInputTest, CutFilesKeepTheRecordsBeforeTheCut) {
  std::string text = "\xEF\xBB\xBF" + GeneratedListings("к", 2, 6, 10);
  std::vector<Case> cases;
  for (size_t cut = 1; cut <= text.size(); cut += cut < 3 ? 1 : kSanitized ? 21 : 7) {
    std::string prefix = text.substr(0, cut), channels, titles;
    for (size_t i = 0; i < CountOf(prefix, "\"/>"); ++i)
      channels += (i > 0 ? ",к" : "к") + std::to_string(i);
    for (size_t i = 0; i < CountOf(prefix, "</programme>"); ++i)
      titles += (i > 0 ? ",Show " : "Show ") + std::to_string(i / 2);
    cases.push_back({"cut.xml", prefix, prefix.find("</tv>") != std::string::npos ? 0 : -1, "",
                     channels.empty() ? "" : channels + "|" + titles});
  }
  Check(cases, false);
}

}  // namespace
}  // namespace robustness
