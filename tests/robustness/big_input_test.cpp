// Inputs that are big where listings are small: deep nesting, a huge attribute value, a small
// compressed file that expands a thousandfold. Generated into the test's temporary folder.
#include <fstream>

#include "tests/robustness/robustness_fixture.h"

namespace robustness {
namespace {

constexpr char kProgrammeAfter[] =
    "<programme start=\"20990102000000\" stop=\"20990102010000\" channel=\"after\">"
    "<title>After</title></programme>\n";

class BigInputTest : public RobustnessTest {};

// The elements stay open until the end, so memory grows with the depth, but teardown is
// iterative: no stack overflow, in the import nor in the extraction.
TEST_F(BigInputTest, MillionNestedElements) {
  const size_t depth = 1000000;
  std::string text = "<?xml version=\"1.0\"?>\n<tv>";
  for (size_t i = 0; i < depth; ++i)
    text += "<a>";
  for (size_t i = 0; i < depth; ++i)
    text += "</a>";
  std::string file = WriteWorkFile(
      "nested.xml", text + "\n<channel id=\"after\"/>\n" + kProgrammeAfter + "</tv>\n");
  EXPECT_EQ(Run({file}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT s.channel_id, p.title FROM schedule_entries e JOIN services s "
                 "ON s.id = e.service_id JOIN programs p ON p.id = e.program_id"),
            std::vector<std::string>{"after|After"});
  EXPECT_EQ(Run({"/x", file}).exitCode, 0);
  EXPECT_EQ(ChannelsText(), "after\r\n");
}

// 100 MB in one attribute value (20 MB under the sanitizers) on one line: read in one piece,
// nothing else of the file is lost.
TEST_F(BigInputTest, HugeAttributeValue) {
  const size_t megabytes = kSanitized ? 20 : 100;
  std::string file = work + "/attribute.xml";
  {
    std::ofstream out(file, std::ios::binary);
    out << "<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"after\"/>\n"
        << "<programme start=\"20990101000000\" stop=\"20990101010000\" channel=\"after\" "
           "huge=\"";
    std::string block(1 << 20, 'x');
    for (size_t i = 0; i < megabytes; ++i)
      out << block;
    out << "\"><title>Huge</title></programme>" << kProgrammeAfter << "</tv>\n";
  }
  EXPECT_EQ(Run({file}).exitCode, 0);
  EXPECT_EQ(Rows("SELECT title FROM programs ORDER BY id"),
            (std::vector<std::string>{"Huge", "After"}));
}

// Programmes without a stop time (which XMLTV allows) are all rejected, channels without an id
// too, and elements of other names are not read: a file of 100,000 of each still takes no more
// memory than a file of a few.
TEST_F(BigInputTest, FinishedElementsDoNotAccumulate) {
  if (kSanitized)
    GTEST_SKIP() << "memory bounds are not measured under the sanitizers";
  std::string text = "<?xml version=\"1.0\"?>\n<tv>\n<channel id=\"after\"/>\n";
  for (int i = 0; i < 100000; ++i) {
    text +=
        "<channel><display-name>Without id</display-name></channel>\n"
        "<other><display-name>Other</display-name></other>\n"
        "<programme start=\"20990101000000\" channel=\"after\">\n  <title>Without stop " +
        std::to_string(i) + "</title>\n  <desc>" + std::string(100, 'd') +
        "</desc>\n</programme>\n";
  }
  std::string file = WriteWorkFile("rejected.xml", text + kProgrammeAfter + "</tv>\n");
  for (const char* job : {"/c", "/x"}) {
    SCOPED_TRACE(job);
    ChildProcess child(Measured({job, file}));
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_GT(child.PeakMemoryKiB(), 0);
    EXPECT_LT(child.PeakMemoryKiB(), 24 * 1024);
  }
  EXPECT_EQ(Rows("SELECT title FROM programs"), std::vector<std::string>{"After"});
  EXPECT_EQ(ChannelsText(), "after\r\n");
}

// 20 KB of gzip holding 20 MB of listings. Read as it is, the file is binary garbage and fails
// with the guide untouched; once compressed input is read, it imports in bounded memory.
TEST_F(BigInputTest, ThousandfoldGzipFile) {
  std::vector<std::string> before = ImportEarlierGuide();
  std::string file =
      std::string(RUZOZAZE_SOURCE_DIR) + "/tests/robustness/corpus/thousandfold.xml.gz";
  ChildProcess child(Measured({"/Logging:301", file}));
  int exitCode = child.Wait();
  if (exitCode == 0) {
    EXPECT_EQ(Rows("SELECT title FROM programs ORDER BY id"),
              (std::vector<std::string>{"One", "Two", "First", "Last"}));
    if (!kSanitized) {
      EXPECT_GT(child.PeakMemoryKiB(), 0);
      EXPECT_LT(child.PeakMemoryKiB(), 64 * 1024);
    }
  } else {
    EXPECT_EQ(exitCode, -1);
    EXPECT_TRUE(LogHas(" ERROR: XML error in '" + file +
                       "' at line 1, column 1: not well-formed (invalid token)\r\n"))
        << LogText();
    EXPECT_EQ(Guide(), before);
  }
}

}  // namespace
}  // namespace robustness
