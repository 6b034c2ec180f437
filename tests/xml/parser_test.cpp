// The tree, result codes, the error kept for the jobs, record handling and the stop flag, long
// lines; the samples.
#include <filesystem>
#include <set>
#include <stdexcept>

#include "tests/support/run_program.h"
#include "tests/xml/tree.h"
#include "xml/cut_finder.h"
#include "xml/element.h"
#include "xml/piece_reader.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

const std::string kListing =
    "<?xml version=\"1.0\"?>\n"
    "<tv>\n"
    "  <channel id=\"one\"><display-name>One</display-name></channel>\n"
    "  <channel><display-name>No id</display-name></channel>\n"
    "  <programme channel=\"one\"><title>First</title></programme>\n"
    "  <programme channel=\"one\"><title>Second</title></programme>\n"
    "  <programme channel=\"one\"><title>Third</title></programme>\n"
    "</tv>\n";

TEST(Element, LookupsFindTheFirstExactName) {
  auto root = OKRXMLElement::CreateRoot("programme");
  OKRXMLElement* first = root->AddChild("title");
  root->AddChild("title");
  root->AddAttribute("ID", "upper");
  EXPECT_EQ(root->FindChild("title"), first);
  EXPECT_EQ(root->FindChild("Title"), nullptr);
  EXPECT_EQ(root->FindChild("titl"), nullptr);
  EXPECT_EQ(root->FindAttribute("id"), nullptr);
  EXPECT_EQ(root->FindAttribute("ID")->GetValue(), "upper");
  EXPECT_EQ(first->GetParent(), root.get());
}

// Cuts fall where a tag follows a tag, never in a comment or a CDATA section, also one opened in
// bytes fed before: the last cut within the limit, else the first behind it.
TEST(CutFinder, CutsOnlyBetweenTagsOutsideCommentsAndCData) {
  OKRXMLCutFinder finder;
  EXPECT_EQ(finder.FindCut("<a>x</a> <b>y</b><c/>", 100), 17u);
  EXPECT_EQ(finder.FindCut("<a>x</a> <b>y</b><c/>", 5), 9u);
  EXPECT_EQ(finder.FindCut("text <a> and more text", 100), 0u);
  EXPECT_EQ(finder.FindCut("<a><![CDATA[<b> <c>]]></a>\t<d/>", 100), 27u);
  EXPECT_EQ(finder.FindCut("<a><![CDATA[<b> <c>]]></a>\t<d/>", 5), 22u);
  finder.Pass("<x><![CDATA[ one\n");
  EXPECT_EQ(finder.FindCut("</b> <c>]]> <d/>", 100), 12u);
  finder.Pass("</b> <c>]]> <d/><!-- mentions <![CDATA[ -->");
  EXPECT_EQ(finder.FindCut("<a/> <b/>", 100), 5u);
  finder.Pass("<!-- open");
  EXPECT_EQ(finder.FindCut("> <y> --> <z/>", 100), 10u);
}

TEST(Parser, ResultCodes) {
  TempDir dir;
  WriteFile(dir / "listing.xml", kListing);
  TreeParser parser;
  EXPECT_EQ(parser.ParseFile(dir / "listing.xml"), 3u);  // not open
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.Open(), 2u);
  EXPECT_EQ(parser.ParseFile(dir / "listing.xml"), 0u);
  EXPECT_EQ(CountElements(parser.GetRoot()), 11u);
  EXPECT_EQ(parser.BytesConsumed(), kListing.size());
  parser.Close();
  parser.Close();
  EXPECT_EQ(parser.GetRoot(), nullptr);
}

// The cause, and the line and column an editor shows; what came before stays in the tree.
TEST(Parser, FailuresKeepTheirCauseAndPlace) {
  TempDir dir;
  const struct {
    const char* name;
    const char* content;  // null: no such file
    const char* error;    // code, cause, line and column
    const char* tree;
  } cases[] = {
      {"missing.xml", nullptr, "4 No such file or directory 0:0", "<null>"},
      {"", nullptr, "4 Is a directory 0:0", "<null>"},  // opens, but cannot be read
      {"empty.xml", "", "5 no element found 1:1", "<null>"},
      {"broken.xml",
       "\n\n<?xml version=\"1.0\"?>\n<tv>\n  <programme channel=\"one\">\n"
       "    <title>Breaking Bad\n  </programme>\n</tv>\n",
       "5 mismatched tag 7:5", "tv{programme[channel=one]{title(Breaking Bad)}}"},
      {"cut.xml", "<tv>\n  <channel id=\"a\">\n", "5 no element found 3:1", "tv{channel[id=a]}"},
      {"indented.xml", "<tv>\n  <a></b>\n</tv>\n", "5 mismatched tag 2:8", "tv{a}"},
      {"open.xml", "<tv>\n  <a", "5 unclosed token 2:3", "tv"},
      {"utf8.xml", "<t>\n\xC3\xA9\xC3\xA9<</t>", "5 not well-formed (invalid token) 2:4",
       "t(\xC3\xA9\xC3\xA9)"},
  };
  for (const auto& c : cases) {
    if (c.content != nullptr)
      WriteFile(dir / c.name, c.content);
    TreeParser parser;
    unsigned code = parser.Read(dir / c.name);
    const OKRXMLParseError& error = parser.GetParseError();
    EXPECT_EQ(std::to_string(code) + " " + error.m_strText + " " + std::to_string(error.m_nLine) +
                  ":" + std::to_string(error.m_nColumn),
              c.error);
    EXPECT_EQ(error.m_nCode, code);
    EXPECT_EQ(error.m_strFileName, dir / c.name);
    EXPECT_FALSE(error.m_bStopped);
    EXPECT_EQ(Dump(parser.GetRoot()), c.tree);
  }
}

// Handles records as the extraction does: channels without an id stay (23), the rest go; the
// stop flag is set at the programme numbered stopAt; one titled Throw fails the handler.
class RecordParser : public TreeParser {
 public:
  void OnEndElement(const char* name) override {
    OKRXMLElement* element = GetCurrent();
    std::string_view tag = element->GetName();
    if (tag == "channel") {
      HandleRecordEnd(element->FindAttribute("id") != nullptr ? 0 : 23);
    } else if (tag == "programme") {
      titles += element->FindChild("title")->GetText() + ",";
      if (titles.ends_with("Throw,"))
        throw std::runtime_error("handler failed");
      if (++programmes == stopAt)
        SetStopFlag();
      HandleRecordEnd(0);
    } else if (tag == "tv") {
      HandleRecordEnd(0);  // the root stays
    }
    OKRXMLParser::OnEndElement(name);
  }
  size_t programmes = 0, stopAt = 0;
  std::string titles;
};

TEST(Parser, HandledRecordsAreCutOutOfTheTree) {
  TempDir dir;
  WriteFile(dir / "listing.xml", kListing);
  RecordParser parser;
  EXPECT_EQ(parser.Read(dir / "listing.xml"), 0u);
  EXPECT_EQ(parser.titles, "First,Second,Third,");
  EXPECT_EQ(Dump(parser.GetRoot()), "tv{channel{display-name(No id)}}");
}

// The rest of the line being parsed is still handled, a fault in it included; no later line is
// read. A failing handler stops the parse without unwinding through expat.
TEST(Parser, StopFlagEndsTheReadingAfterTheCurrentLine) {
  const std::string a = "<tv><programme><title>A</title></programme>";
  const struct {
    std::string document;
    size_t stopAt;
    const char* outcome;  // the code, whether the stop ended the reading, the titles; the fault
  } cases[] = {
      {kListing, 1, "5 stopped First,"},
      {a + "<programme><title>B</title></programme></tv>\n<!-- end -->\n", 1, "0 stopped A,B,"},
      {a + "<programme\n><title>B</title></programme></tv>\n", 1, "5 stopped A,"},
      {a + "<bad attr></tv>\n", 1, "5 not stopped A, at 1: not well-formed (invalid token)"},
      {a + "\n<bad attr></tv>\n", 1, "5 stopped A,"},
      {a + "\n<programme><title>Throw</title></programme></tv>\n", 0,
       "5 not stopped A,Throw, at 2: handler failed"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteFile(dir / "listing.xml", c.document);
    RecordParser parser;
    parser.stopAt = c.stopAt;
    unsigned code = parser.Read(dir / "listing.xml");
    const OKRXMLParseError& error = parser.GetParseError();
    std::string fault = " at " + std::to_string(error.m_nLine) + ": " + error.m_strText;
    EXPECT_EQ(std::to_string(code) + (error.m_bStopped ? " stopped " : " not stopped ") +
                  parser.titles + (error.m_bStopped ? "" : fault),
              c.outcome)
        << c.document;
  }
}

// Drops every programme once read, as the jobs do, and watches how far each piece reaches.
class ProgrammeCounter : public TreeParser {
 public:
  void OnStartElement(const char* name, const char** attributes) override {
    largestStep = std::max(largestStep, BytesConsumed() - lastConsumed);
    lastConsumed = BytesConsumed();
    OKRXMLParser::OnStartElement(name, attributes);
  }
  void OnEndElement(const char* name) override {
    if (std::string_view(name) == "programme") {
      texts.insert(Dump(GetCurrent()));
      HandleRecordEnd(0);
    }
    OKRXMLParser::OnEndElement(name);
  }
  uint64_t lastConsumed = 0, largestStep = 0;
  std::set<std::string> texts;
};

// A long line goes to expat in pieces of at most 64 KiB, cut between tags; a text that holds no
// such cut goes whole. The elements of each programme dropped are made again for the next one:
// nothing of the one may show in the next.
TEST(Parser, LongLinesGoInPieces) {
  const std::string text(200 * 1024, 'x');
  std::string document = "<tv><desc>" + text + "</desc> ";
  while (document.size() < 5 * 1000 * 1000) {
    document +=
        "<programme n=\"1\"><title>T &amp; U</title> <desc><![CDATA[a <b> <i>c</i>]]>"
        "</desc></programme> ";
  }
  document += "</tv>";
  TempDir dir;
  WriteFile(dir / "one-line.xml", document);
  ProgrammeCounter parser;
  EXPECT_EQ(parser.Read(dir / "one-line.xml"), 0u);
  EXPECT_EQ(parser.texts,
            std::set<std::string>{"programme[n=1]{title(T & U),desc(a <b> <i>c</i>)}"});
  EXPECT_LE(parser.largestStep, text.size() + OKRXMLPieceReader::kPieceLimit);
  EXPECT_EQ(parser.BytesConsumed(), document.size());
  EXPECT_EQ(Dump(parser.GetRoot()), "tv{desc(" + text + ")}");
}

// Real listings from other authors, against libxml2's reading of them (xmllint): the tree of a
// well-formed file holds every element; a broken one fails at the line xmllint names.
TEST(Samples, TreeHoldsEveryElementOfTheFile) {
  const std::filesystem::path samples = RUZOZAZE_SAMPLES_DIR;
  if (!std::filesystem::exists(samples))
    GTEST_SKIP() << "no samples folder " << samples.string();
  int checked = 0, broken = 0;
  for (const auto& entry : std::filesystem::directory_iterator(samples)) {
    if (entry.path().extension() != ".xml")
      continue;
    std::string path = entry.path().string();
    SCOPED_TRACE(path);
    testing_support::RunResult lint = testing_support::RunProgram(
        {RUZOZAZE_XMLLINT, {"--xpath", "count(//*)", path}, {}, {}, {}});
    TreeParser parser;
    unsigned code = parser.Read(path);
    if (lint.exitCode == 0) {
      EXPECT_EQ(code, 0u) << parser.GetParseError().m_strText;
      EXPECT_EQ(std::to_string(CountElements(parser.GetRoot())) + "\n", lint.out);
      ++checked;
    } else {
      // xmllint's first message starts "FILE:LINE: parser error".
      EXPECT_EQ(code, 5u);
      const std::string line = std::to_string(parser.GetParseError().m_nLine);
      EXPECT_EQ(lint.err.rfind(path + ":" + line + ": parser error", 0), 0u) << lint.err;
      ++broken;
    }
  }
  EXPECT_GE(checked, 30);
  EXPECT_GE(broken, 2);
}

}  // namespace
