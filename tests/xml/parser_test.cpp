// Result codes, the error kept for the jobs, record handling, the stop flag and the files the
// parser can read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/xml/test_support.h"

namespace {

const char kListing[] =
    "<?xml version=\"1.0\"?>\n"
    "<tv>\n"
    "  <channel id=\"one\"><display-name>One</display-name></channel>\n"
    "  <channel><display-name>No id</display-name></channel>\n"
    "  <programme channel=\"one\"><title>First</title></programme>\n"
    "  <programme channel=\"one\"><title>Second</title></programme>\n"
    "  <programme channel=\"one\"><title>Third</title></programme>\n"
    "</tv>\n";

TEST(Parser, ResultCodes) {
  TempDir dir;
  std::string path = dir.Write("listing.xml", kListing);
  TreeParser parser;
  EXPECT_EQ(parser.ParseFile(path), 3u);
  EXPECT_EQ(parser.Parse("<a/>", 4, true), 3u);
  parser.Close();
  parser.Close();
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.Open(), 2u);

  EXPECT_EQ(parser.ParseFile(dir.Path("missing.xml")), 4u);
  EXPECT_EQ(parser.GetParseError().m_nCode, 4u);
  EXPECT_EQ(parser.GetParseError().m_strFileName, dir.Path("missing.xml"));
  EXPECT_EQ(parser.GetParseError().m_strText, "No such file or directory");
  EXPECT_EQ(parser.GetRoot(), nullptr);

  // A directory opens but cannot be read: not an empty document.
  EXPECT_EQ(parser.ParseFile(dir.Path("")), 4u);
  EXPECT_EQ(parser.GetParseError().m_strText, "Is a directory");

  EXPECT_EQ(parser.ParseFile(path), 0u);
  EXPECT_EQ(parser.GetParseError().m_nCode, 0u);
  EXPECT_EQ(CountElements(parser.GetRoot()), 11u);
  EXPECT_EQ(parser.BytesConsumed(), sizeof(kListing) - 1);
  parser.Close();
  parser.Close();
  EXPECT_EQ(parser.GetRoot(), nullptr);
  EXPECT_EQ(parser.ParseFile(path), 3u);

  // An empty file is no document.
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.ParseFile(dir.Write("empty.xml", "")), 5u);
  EXPECT_EQ(parser.GetParseError().m_strText, "no element found");
}

TEST(Parser, BrokenDocumentReportsTheLineAndColumnAnEditorShows) {
  TempDir dir;
  std::string path = dir.Write("broken.xml",
                               "\n\n<?xml version=\"1.0\"?>\n"
                               "<tv>\n"
                               "  <programme channel=\"one\">\n"
                               "    <title>Breaking Bad\n"
                               "  </programme>\n"
                               "</tv>\n");
  unsigned code;
  auto parser = ParseDocument(path, &code);
  EXPECT_EQ(code, 5u);
  const OKRXMLParseError& error = parser->GetParseError();
  EXPECT_EQ(error.m_nCode, 5u);
  EXPECT_FALSE(error.m_bStopped);
  EXPECT_EQ(error.m_strText, "mismatched tag");
  // expat points at the name of the end tag that does not match.
  EXPECT_EQ(error.m_nLine, 7u);
  EXPECT_EQ(error.m_nColumn, 5u);
  EXPECT_GT(error.m_nExpatCode, 0);
  // What came before the error stays in the tree.
  EXPECT_EQ(Dump(parser->GetRoot()), "tv{programme[channel=one]{title(Breaking Bad)}}");

  // An unfinished document fails at the final call, after its last line.
  parser = ParseDocument(dir.Write("cut.xml", "<tv>\n  <channel id=\"a\">\n"), &code);
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(parser->GetParseError().m_strText, "no element found");
  EXPECT_EQ(parser->GetParseError().m_nLine, 3u);

  // A column counts the indentation that expat was not given.
  parser = ParseDocument(dir.Write("indented.xml", "<tv>\n  <a></b>\n</tv>\n"), &code);
  EXPECT_EQ(parser->GetParseError().m_nLine, 2u);
  EXPECT_EQ(parser->GetParseError().m_nColumn, 8u);
  parser = ParseDocument(dir.Write("open.xml", "<tv>\n  <a"), &code);
  EXPECT_EQ(parser->GetParseError().m_strText, "unclosed token");
  EXPECT_EQ(parser->GetParseError().m_nLine, 2u);
  EXPECT_EQ(parser->GetParseError().m_nColumn, 3u);

  // A column counts characters, as an editor does, not bytes.
  parser = ParseDocument(dir.Write("utf8.xml", "<t>\n\xC3\xA9\xC3\xA9<</t>"), &code);
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(parser->GetParseError().m_nLine, 2u);
  EXPECT_EQ(parser->GetParseError().m_nColumn, 4u);
}

// Handles channel records as the extraction does: written when they have an id (code 0),
// kept otherwise (23); programmes are dropped; can stop at a given programme.
class RecordParser : public TreeParser {
 public:
  void OnEndElement(const char* name) override {
    OKRXMLElement* element = GetCurrent();
    if (element != nullptr && element->GetName() == "channel") {
      const OKRXMLAttribute* id = element->FindAttribute("id");
      if (id != nullptr)
        m_ids.push_back(id->GetValue());
      HandleRecordEnd(id != nullptr ? 0 : 23);
    } else if (element != nullptr && element->GetName() == "programme") {
      m_titles.push_back(element->FindChild("title")->GetText());
      if (m_titles.size() == m_nStopAt)
        SetStopFlag();
      HandleRecordEnd(0);
    } else if (element != nullptr && element->GetName() == "tv") {
      HandleRecordEnd(0);  // the root stays
    }
    OKRXMLParser::OnEndElement(name);
  }

  size_t m_nStopAt = 0;
  std::vector<std::string> m_ids;
  std::vector<std::string> m_titles;
};

TEST(Parser, HandledRecordsAreCutOutOfTheTree) {
  TempDir dir;
  RecordParser parser;
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.ParseFile(dir.Write("listing.xml", kListing)), 0u);
  EXPECT_EQ(parser.m_ids, std::vector<std::string>{"one"});
  EXPECT_EQ(parser.m_titles, (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(Dump(parser.GetRoot()), "tv{channel{display-name(No id)}}");
}

// A parse of `path` that sets the stop flag once the first programme is handled.
struct StoppedParse {
  explicit StoppedParse(const std::string& path) {
    parser.m_nStopAt = 1;
    EXPECT_EQ(parser.Open(), 0u);
    code = parser.ParseFile(path);
  }
  bool Stopped() const { return parser.GetParseError().m_bStopped; }

  RecordParser parser;
  unsigned code = 0;
};

TEST(Parser, StopFlagEndsTheReadingAfterTheCurrentLine) {
  TempDir dir;
  StoppedParse lines(dir.Write(
      "listing.xml", std::string(kListing) + "<!-- the second programme shares a line -->"));
  EXPECT_EQ(lines.code, 5u);  // the document is unfinished
  EXPECT_TRUE(lines.Stopped());
  EXPECT_EQ(lines.parser.m_titles, std::vector<std::string>{"First"});

  // The rest of the line being parsed is still handled.
  StoppedParse sameLine(dir.Write("line.xml",
                                  "<tv><programme><title>A</title></programme>"
                                  "<programme><title>B</title></programme></tv>\n<!-- end -->\n"));
  EXPECT_EQ(sameLine.code, 0u);
  EXPECT_TRUE(sameLine.Stopped());
  EXPECT_EQ(sameLine.parser.m_titles, (std::vector<std::string>{"A", "B"}));

  // A tag begun on that line and ended on the next one belongs to a line never read.
  StoppedParse splitTag(dir.Write("split.xml",
                                  "<tv><programme><title>A</title></programme><programme\n"
                                  "><title>B</title></programme></tv>\n"));
  EXPECT_EQ(splitTag.code, 5u);
  EXPECT_TRUE(splitTag.Stopped());
  EXPECT_EQ(splitTag.parser.m_titles, std::vector<std::string>{"A"});
  EXPECT_EQ(Dump(splitTag.parser.GetRoot()), "tv");

  // A fault in the rest of that line is the document's; one in a later line is never read.
  StoppedParse faultSameLine(
      dir.Write("fault.xml", "<tv><programme><title>A</title></programme><bad attr></tv>\n"));
  EXPECT_EQ(faultSameLine.code, 5u);
  EXPECT_FALSE(faultSameLine.Stopped());
  EXPECT_EQ(faultSameLine.parser.GetParseError().m_nLine, 1u);
  StoppedParse faultNextLine(
      dir.Write("later.xml", "<tv><programme><title>A</title></programme>\n<bad attr></tv>\n"));
  EXPECT_EQ(faultNextLine.code, 5u);
  EXPECT_TRUE(faultNextLine.Stopped());
}

class ThrowingParser : public TreeParser {
 public:
  void OnEndElement(const char* name) override {
    if (std::string_view(name) == "channel")
      throw std::runtime_error("handler failed");
    OKRXMLParser::OnEndElement(name);
  }
};

TEST(Parser, FailingCallbackStopsTheParseWithoutUnwindingThroughExpat) {
  TempDir dir;
  ThrowingParser parser;
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.ParseFile(dir.Write("listing.xml", kListing)), 5u);
  EXPECT_EQ(parser.GetParseError().m_strText, "handler failed");
  EXPECT_EQ(parser.GetParseError().m_nLine, 3u);
}

TEST(Parser, ReadsFifos) {
  TempDir dir;
  std::string fifo = dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    int fd = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
      return;
    EXPECT_EQ(write(fd, kListing, sizeof(kListing) - 1),
              static_cast<ssize_t>(sizeof(kListing) - 1));
    close(fd);
  });
  unsigned code;
  auto parser = ParseDocument(fifo, &code);
  writer.join();
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(CountElements(parser->GetRoot()), 11u);
  EXPECT_EQ(parser->BytesConsumed(), sizeof(kListing) - 1);
}

}  // namespace
