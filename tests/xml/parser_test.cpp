// The parser on small documents read from files as the jobs read them, on long lines, on samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <vector>

#include "tests/support/program_fixture.h"
#include "xml/cut_finder.h"
#include "xml/element.h"
#include "xml/parser.h"
#include "xml/piece_reader.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// The subtree as text: name, attributes in [], text in (), children in {}.
std::string Dump(const OKRXMLElement* element) {
  if (element == nullptr)
    return "<null>";
  std::string out = element->GetName();
  for (unsigned i = 0; i < element->GetAttributeCount(); ++i)
    out.append(i == 0 ? "[" : ",")
        .append(element->GetAttribute(i)->GetName() + "=" + element->GetAttribute(i)->GetValue());
  out += element->GetAttributeCount() > 0 ? "]" : "";
  if (!element->GetText().empty())
    out += "(" + element->GetText() + ")";
  for (unsigned i = 0; i < element->GetChildCount(); ++i)
    out.append(i == 0 ? "{" : ",").append(Dump(element->GetChild(i)));
  return out + (element->GetChildCount() > 0 ? "}" : "");
}

// Handles records as the extraction does: a channel without an id stays (code 23), the other
// channels and the programmes are cut out once read; the stop flag is set at the programme
// numbered stopAt; one whose first title is Throw fails the handler (lookups take the first
// element or attribute of exactly that name). Counts the elements begun and watches how
// far each piece reaches.
class TreeParser : public OKRXMLParser {
 public:
  using OKRXMLParser::BytesConsumed;
  using OKRXMLParser::GetRoot;
  unsigned Read(const std::string& path) {
    EXPECT_EQ(Open(), 0u);
    return ParseFile(path);
  }
  void OnStartElement(const char* name, const char** attributes) override {
    ++elements;
    largestStep = std::max(largestStep, BytesConsumed() - lastConsumed);
    lastConsumed = BytesConsumed();
    OKRXMLParser::OnStartElement(name, attributes);
  }
  void OnEndElement(const char* name) override {
    OKRXMLElement* element = GetCurrent();
    if (element->GetName() == "channel") {
      HandleRecordEnd(element->FindAttribute("id") != nullptr ? 0 : 23);
    } else if (element->GetName() == "programme") {
      programmes.push_back(Dump(element));
      const OKRXMLElement* title = element->FindChild("title");
      if (title != nullptr && title->GetText() == "Throw")
        throw std::runtime_error("handler failed");
      if (programmes.size() == stopAt)
        SetStopFlag();
      HandleRecordEnd(0);
    }
    OKRXMLParser::OnEndElement(name);
  }
  size_t stopAt = 0;
  std::vector<std::string> programmes;
  uint64_t elements = 0, lastConsumed = 0, largestStep = 0;
};

// The code and, unless the document was read to its end, "stopped" or the cause with the line
// and column an editor shows; the tree left; the programmes read.
std::string Outcome(const std::string& document, size_t stopAt = 0) {
  TempDir dir;
  WriteFile(dir / "doc.xml", document);
  TreeParser parser;
  parser.stopAt = stopAt;
  unsigned code = parser.Read(dir / "doc.xml");
  const OKRXMLParseError& error = parser.GetParseError();
  EXPECT_EQ(error.m_nCode, code);
  std::string out;
  if (error.m_bStopped)
    out = std::to_string(code) + " stopped ";
  else if (code != 0)
    out = std::to_string(code) + " " + error.m_strText + " " + std::to_string(error.m_nLine) + ":" +
          std::to_string(error.m_nColumn) + " ";
  out += Dump(parser.GetRoot());
  for (const std::string& programme : parser.programmes)
    out += " " + programme;
  return out;
}

// The ASCII document in UTF-16 with a byte-order mark.
std::string Utf16(const std::string& document) {
  std::string recoded = "\xFF\xFE";
  for (char c : document)
    recoded += {c, '\0'};
  return recoded;
}

const std::string kListing =
    "<tv>\n  <channel id=\"one\"><display-name>One</display-name></channel>\n"
    "  <channel><display-name>No id</display-name></channel>\n"
    "  <programme><title>First</title></programme>\n"
    "  <programme><title>Second</title></programme>\n</tv>\n";

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
  EXPECT_EQ(parser.ParseFile(dir.path()), 4u);  // opens, but cannot be read
  const OKRXMLParseError& error = parser.GetParseError();
  EXPECT_EQ(std::to_string(error.m_nCode) + " " + error.m_strFileName + ": " + error.m_strText,
            "4 " + dir.path() + ": Is a directory");
  EXPECT_EQ(parser.ParseFile(dir / "listing.xml"), 0u);
  parser.Close();
  parser.Close();
  EXPECT_EQ(parser.GetRoot(), nullptr);
}

// What came before a fault stays in the tree. A stop ends the reading after the line being
// parsed: the rest of it is still handled, a fault in it included. A failing handler stops the
// parse without unwinding through expat. The text rules: runs between line breaks or tags are
// trimmed and joined with one space.
TEST(Parser, Documents) {
  const std::string a = "<tv><programme><title>A</title></programme>";
  const struct {
    std::string document;
    const char* outcome;
    size_t stopAt = 0;
  } cases[] = {
      {"", "5 no element found 1:1 <null>"},
      {"\n\n<?xml version=\"1.0\"?>\n<tv>\n  <programme channel=\"one\">\n"
       "    <title>Breaking Bad\n  </programme>\n</tv>\n",
       "5 mismatched tag 7:5 tv{programme[channel=one]{title(Breaking Bad)}}"},
      {"<tv>\n  <channel id=\"a\">\n", "5 no element found 3:1 tv{channel[id=a]}"},
      {"<tv>\n  <a", "5 unclosed token 2:3 tv"},
      {"<t>\n\xC3\xA9\xC3\xA9<</t>", "5 not well-formed (invalid token) 2:4 t(\xC3\xA9\xC3\xA9)"},
      {kListing,
       "tv{channel{display-name(No id)}} programme{title(First)} programme{title(Second)}"},
      {kListing, "5 stopped tv{channel{display-name(No id)}} programme{title(First)}", 1},
      {a + "<programme><title>B</title></programme></tv>\n<!-- end -->\n",
       "0 stopped tv programme{title(A)} programme{title(B)}", 1},
      {a + "<programme\n><title>B</title></programme></tv>\n", "5 stopped tv programme{title(A)}",
       1},
      {a + "<bad attr></tv>\n", "5 not well-formed (invalid token) 1:53 tv programme{title(A)}", 1},
      {a + "\n<bad attr></tv>\n", "5 stopped tv programme{title(A)}", 1},
      {a + "\n<programme><title>Throw</title></programme></tv>\n",
       "5 handler failed 2:44 tv{programme{title(Throw)}} programme{title(A)} "
       "programme{title(Throw)}"},
      {"<tv><channel ID=\"x\" id=\"y\"/><channel ID=\"x\"/><programme><Title>Throw</Title>"
       "<titles>Throw</titles><title>A</title><title>Throw</title></programme></tv>",
       "tv{channel[ID=x]} programme{Title(Throw),titles(Throw),title(A),title(Throw)}"},
      // References and expat's own cuts join a run as written.
      {"<t>AT&amp;T &apos;&quot;Q&quot; &lt;3 caf&#xE9; &#8364;x &#65;&#66; &amp; &amp;</t>",
       "t(AT&T '\"Q\" <3 caf\xC3\xA9 \xE2\x82\xACx AB & &)"},
      {"<t> <![CDATA[a < b]]>&amp;c <![CDATA[ ]]> </t>", "t(a < b&c)"},
      // Three lines, each trimmed of its spaces; a reference at a line's edge.
      {"<tv>\n  <desc>  First line  \n     second&amp;\n&amp;third  </desc>\n</tv>\n",
       "tv{desc(First line second& &third)}"},
      // Blank runs add nothing, also inside a CDATA section; 0x7F is not graphic.
      {"<tv>\n  <a>   \n\t\n  </a>\n  <b><![CDATA[  ]]></b><c>\x7F</c>\n</tv>", "tv{a,b,c}"},
      // Only spaces are trimmed: a leading tab stays.
      {"<title>\tTabbed  </title>", "title(\tTabbed)"},
      // Mixed content: the element's own runs only, ended by the child's tags.
      {"<a>x<b>y</b>z <c/>&amp; y</a>", "a(x z & y){b(y),c}"},
      // Entities of a DTD that is never read: XHTML names stand for their character.
      {"<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<t>Caf&eacute; at&nbsp;Noon&unknown;!</t>",
       "t(Caf\xC3\xA9 at\xC2\xA0Noon!)"},
      // Line breaks in a tag are blanks; CR LF reads like LF.
      {"<e start=\"1\"\n           title=\"one\ntwo\">\n  <title>T</title>\n</e>",
       "e[start=1,title=one two]{title(T)}"},
      {"<tv a=\"x\r\ny\">\r\n  <desc>one \r\n two</desc>\r\n  <t>\r\n  </t>\r\n</tv>",
       "tv[a=x y]{desc(one two),t}"},
      // Indentation after a tag is not fed to expat, except in sections that run over lines.
      {"<tv>\n  <a>some text\n    <i>x</i>\n  </a>\n  <b><![CDATA[x>\n  <y>]]></b>\n  <!-- c -->\n"
       "  <?pi x?>\n\t<c/>\n  <d\n    e=\"1\"/>\n  </tv>",
       "tv{a(some text){i(x)},b(x> <y>),c,d[e=1]}"},
      // Bytes from 0x80 on are graphic and kept as they stand, in every plane; a document that is
      // not well-formed UTF-8 is refused, so nothing else reaches the text. The root stays.
      {"<t> \xD0\x9D\xD0\xBE\xD0\xB2 \xE3\x83\x8B \xC3\xA9 \xF0\x9F\x98\x80 </t>",
       "t(\xD0\x9D\xD0\xBE\xD0\xB2 \xE3\x83\x8B \xC3\xA9 \xF0\x9F\x98\x80)"},
      {"<t>a\xFFz</t>", "5 not well-formed (invalid token) 1:5 t(a)"},
      {"<channel id=\"K\xC3\xB6ln &amp; \xD0\x96\"/>", "channel[id=K\xC3\xB6ln & \xD0\x96]"},
      // Another encoding arrives converted to UTF-8; a byte-order mark decides.
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<t a=\"\xE9\">\xE9t\xE9</t>",
       "t[a=\xC3\xA9](\xC3\xA9t\xC3\xA9)"},
      {Utf16("<t a=\"1\">\n  one\r\n  two\n</t>\n"), "t[a=1](one two)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Outcome(c.document, c.stopAt), c.outcome) << c.document;
}

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
  TreeParser parser;
  EXPECT_EQ(parser.Read(dir / "one-line.xml"), 0u);
  EXPECT_EQ(std::set<std::string>(parser.programmes.begin(), parser.programmes.end()),
            std::set<std::string>{"programme[n=1]{title(T & U),desc(a <b> <i>c</i>)}"});
  EXPECT_LE(parser.largestStep, text.size() + OKRXMLPieceReader::kPieceLimit);
  EXPECT_EQ(parser.BytesConsumed(), document.size());
  EXPECT_EQ(Dump(parser.GetRoot()), "tv{desc(" + text + ")}");
}

// Real listings from other authors, against libxml2's reading of them (xmllint): every element
// of a well-formed file is read; a broken one fails at the line xmllint names.
TEST(Samples, EveryElementOfTheFileIsRead) {
  SKIP_WITHOUT_SAMPLES();
  for (const std::string& path : testing_support::SampleFiles()) {
    SCOPED_TRACE(path);
    testing_support::RunResult lint = testing_support::RunProgram(
        {testing_support::FindOnPath("xmllint"), {"--xpath", "count(//*)", path}, {}, {}, {}});
    TreeParser parser;
    unsigned code = parser.Read(path);
    if (lint.exitCode == 0) {
      EXPECT_EQ(code, 0u) << parser.GetParseError().m_strText;
      EXPECT_EQ(std::to_string(parser.elements) + "\n", lint.out);
    } else {
      // xmllint's first message starts "FILE:LINE: parser error".
      EXPECT_EQ(code, 5u);
      const std::string line = std::to_string(parser.GetParseError().m_nLine);
      EXPECT_TRUE(lint.err.starts_with(path + ":" + line + ": parser error")) << lint.err;
    }
  }
}

}  // namespace
