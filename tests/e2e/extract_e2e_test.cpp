// The extraction job on small files: exactly the bytes of channels.txt.
#include "tests/e2e/program_fixture.h"

namespace {

using testing_support::WriteFile;

class ExtractTest : public ProgramTest {
 protected:
  // Extracts from a listings file holding `body` inside its tv element; returns the exit code.
  int Extract(const std::string& body, const std::string& tail = "</tv>\n") {
    WriteFile(work + "/listings.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + body + tail);
    return Run({"/x", "listings.xml"}).exitCode;
  }
};

TEST_F(ExtractTest, OneLinePerChannelWithAnIdInDocumentOrder) {
  EXPECT_EQ(Extract("<channel id=\"a\"/>\n<channel><display-name>no id</display-name></channel>\n"
                    "<channel id=\"c\"/>\n<channel id=\"a\"/>\n"
                    "<channel id=\"AT&amp;T\"/>\n<channel "
                    "id=\"\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9\"/>\n"
                    "<channel id=\"\"/>\n"
                    "<programme channel=\"p\" start=\"2026\"><title>t</title></programme>\n"
                    "<group><channel id=\"deep\"/></group>\n"),
            0);
  EXPECT_EQ(
      ChannelsText(),
      "a\r\nc\r\na\r\nAT&T\r\n\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9\r\n\r\ndeep\r\n");
}

TEST_F(ExtractTest, NoChannelLeavesNoFileAndAnOldOneIsGone) {
  WriteFile(work + "/channels.txt", "old\r\n");
  EXPECT_EQ(Extract("<programme channel=\"p\"><title>t</title></programme>\n"), 0);
  EXPECT_FALSE(ChannelsFileExists());
}

TEST_F(ExtractTest, AnXmlErrorKeepsTheLinesBeforeItAndFails) {
  EXPECT_EQ(
      Extract("<channel id=\"one\"/>\n<channel id=\"two\"/>\n<channel id=\"three\">\n", "</tv>\n"),
      -1);
  EXPECT_EQ(ChannelsText(), "one\r\ntwo\r\n");
  Run({"/Logging:301", "/x", "listings.xml"});
  EXPECT_NE(
      LogText().find(" ERROR: XML error in 'listings.xml' at line 6, column 3: mismatched tag"),
      std::string::npos)
      << LogText();
}

}  // namespace
