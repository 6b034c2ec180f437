// Long lines are fed in pieces cut only where no character data lies across the cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/xml/test_support.h"
#include "xml/cut_finder.h"
#include "xml/piece_reader.h"

namespace {

constexpr size_t kLimit = OKRXMLPieceReader::kPieceLimit;

size_t Count(std::string_view text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

std::vector<std::string> ReadPieces(const std::string& path, OKRXMLPieceReader& reader) {
  std::string error;
  EXPECT_TRUE(reader.Open(path, &error));
  std::vector<std::string> pieces;
  std::string_view piece;
  while (reader.Next(&piece) == OKRXMLPieceReader::Status::kData)
    pieces.emplace_back(piece);
  return pieces;
}

TEST(CutFinder, CutsOnlyBetweenTagsOutsideCommentsAndCData) {
  OKRXMLCutFinder finder;
  std::string_view text = "<a>x</a> <b>y</b><c/>";
  EXPECT_EQ(finder.FindCut(text, 100), 17u);  // the last one within the limit
  EXPECT_EQ(finder.FindCut(text, 10), 9u);
  EXPECT_EQ(finder.FindCut(text, 5), 9u);  // none within: the first behind it
  EXPECT_EQ(finder.FindCut("text <a> and more text", 100), 0u);

  std::string_view cdata = "<a><![CDATA[<b> <c>]]></a>\t<d/>";
  EXPECT_EQ(finder.FindCut(cdata, 100), cdata.find("<d/>"));
  EXPECT_EQ(finder.FindCut(cdata, 5), cdata.find("</a>"));

  // A section opened in bytes fed earlier is followed to its end.
  finder.Pass("<x><![CDATA[ one\n");
  std::string_view rest = "</b> <c>]]> <d/>";
  EXPECT_EQ(finder.FindCut(rest, 100), rest.find("<d/>"));
  finder.Pass(rest);
  EXPECT_EQ(finder.FindCut("<a/> <b/>", 100), 5u);

  finder.Pass("<!-- a comment that mentions <![CDATA[ -->");
  EXPECT_EQ(finder.FindCut("<a/> <b/>", 100), 5u);
  finder.Pass("<!-- open");
  std::string_view comment = "> <y> --> <z/>";
  EXPECT_EQ(finder.FindCut(comment, 100), comment.find("<z/>"));
}

TEST(PieceReader, FeedsWholeLinesAndSkipsEmptyLinesBeforeTheDocument) {
  TempDir dir;
  OKRXMLPieceReader reader;
  std::vector<std::string> pieces =
      ReadPieces(dir.Write("a.xml", "\n\r\n<?xml version=\"1.0\"?>\n<a>\r\n\n</a>"), reader);
  EXPECT_EQ(pieces, (std::vector<std::string>{"<?xml version=\"1.0\"?>\n<a>\r\n\n", "</a>"}));
  EXPECT_EQ(reader.SkippedLines(), 2u);

  // Lines are gathered up to a bound, never cut, and go without the spaces between their tags.
  std::string lines;
  std::string unindented;
  for (int i = 0; i < 5000; ++i) {
    std::string line = "<programme><title>" + std::to_string(i) + "</title></programme>\n";
    lines += "  " + line;
    unindented += line;
  }
  OKRXMLPieceReader many;
  pieces = ReadPieces(dir.Write("b.xml", "<tv>\n" + lines + "</tv>\n"), many);
  ASSERT_GT(pieces.size(), 5u);
  std::string joined;
  for (const std::string& piece : pieces) {
    EXPECT_LE(piece.size(), OKRXMLPieceReader::kGatherLimit);
    EXPECT_EQ(piece.back(), '\n');
    joined += piece;
  }
  EXPECT_EQ(joined, "<tv>\n" + unindented + "</tv>\n");
  EXPECT_EQ(many.LineReached(), 5003u);
  EXPECT_EQ(many.Indentation(5001), 2u);
  EXPECT_EQ(many.Indentation(5002), 0u);
}

TEST(PieceReader, LeavesOutOnlyTheIndentationBetweenTags) {
  TempDir dir;
  std::string path = dir.Write("a.xml",
                               "<tv>\n"
                               "  <a>some text\n"
                               "    <i>x</i>\n"  // after text: kept
                               "  </a>\n"        // after a tag: left out
                               "  <b><![CDATA[x>\n"
                               "  <y>]]></b>\n"  // in a CDATA section: kept
                               "  <!-- c -->\n"  // a comment may run over lines: kept
                               "  <?pi x?>\n"    // as may a processing instruction
                               "\t<c/>\n"        // a tab is no indentation left out
                               "  <d\n"          // a tag running over lines
                               "    e=\"1\"/>\n"
                               "  </tv>");
  OKRXMLPieceReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(path, &error));
  std::string joined;
  std::vector<size_t> indentation(12);
  std::string_view piece;
  while (reader.Next(&piece) == OKRXMLPieceReader::Status::kData) {
    joined += piece;
    for (uint64_t line = 1; line <= indentation.size(); ++line)
      indentation[line - 1] = std::max(indentation[line - 1], reader.Indentation(line));
  }
  EXPECT_EQ(joined,
            "<tv>\n<a>some text\n    <i>x</i>\n</a>\n<b><![CDATA[x>\n  <y>]]></b>\n"
            "  <!-- c -->\n  <?pi x?>\n\t<c/>\n<d\n    e=\"1\"/>\n</tv>");
  EXPECT_EQ(indentation, (std::vector<size_t>{0, 2, 0, 2, 2, 0, 0, 0, 0, 2, 0, 2}));

  // What the parser makes of the lines is what it makes of the file as it stands.
  unsigned code;
  auto parser = ParseDocument(path, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(Dump(parser->GetRoot()), "tv{a(some text){i(x)},b(x> <y>),c,d[e=1]}");
}

TEST(PieceReader, LineWithoutCutPointRunsToTheNextOne) {
  TempDir dir;
  std::string text(200 * 1024, 'x');
  std::string tags;
  for (int i = 0; i < 100000; ++i)
    tags += "<x/>";
  std::string document = "<tv><desc>" + text + "</desc> <after/>" + tags + "</tv>";
  OKRXMLPieceReader reader;
  std::vector<std::string> pieces = ReadPieces(dir.Write("a.xml", document), reader);
  ASSERT_GT(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], "<tv>");
  EXPECT_EQ(pieces[1], "<desc>" + text + "</desc> ");
  EXPECT_TRUE(pieces[2].starts_with("<after/><x/>"));
  for (size_t i = 2; i < pieces.size(); ++i)
    EXPECT_LE(pieces[i].size(), kLimit);

  unsigned code;
  auto parser = ParseDocument(dir.Path("a.xml"), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(TextOf(parser->GetRoot(), "desc"), text);

  // Near its end a line is fed whole once the view reaches its end.
  pieces = ReadPieces(dir.Write("b.xml", "<tv><desc>" + text + "</desc> <after/></tv>"), reader);
  EXPECT_EQ(pieces, (std::vector<std::string>{"<tv>", "<desc>" + text + "</desc> <after/></tv>"}));
}

// Drops every programme once read, as the jobs do, and watches how far each piece reaches.
class ProgrammeCounter : public TreeParser {
 public:
  void OnStartElement(const char* name, const char** attributes) override {
    uint64_t consumed = BytesConsumed();
    if (consumed != m_nLastConsumed) {
      m_nLargestStep = std::max(m_nLargestStep, consumed - m_nLastConsumed);
      m_nLastConsumed = consumed;
    }
    OKRXMLParser::OnStartElement(name, attributes);
  }
  void OnEndElement(const char* name) override {
    OKRXMLElement* element = GetCurrent();
    if (element != nullptr && element->GetName() == "programme") {
      if (TextOf(element, "desc") != "a <b> <i>c</i>" || TextOf(element, "title") != "T & U") {
        ++m_nWrongTexts;
      }
      ++m_nProgrammes;
      HandleRecordEnd(0);
    }
    OKRXMLParser::OnEndElement(name);
  }

  uint64_t m_nLastConsumed = 0;
  uint64_t m_nLargestStep = 0;
  uint64_t m_nProgrammes = 0;
  uint64_t m_nWrongTexts = 0;
};

TEST(PieceReader, FiftyMegabytesOnOneLineGoInPiecesOfAtMost64KiB) {
  const std::string programme =
      "<programme start=\"20240101000000 +0000\" channel=\"one.example\">"
      "<title>T &amp; U</title> <desc><![CDATA[a <b> <i>c</i>]]></desc></programme> ";
  size_t programmes = 50 * 1000 * 1000 / programme.size();
  std::string document = "<?xml version=\"1.0\"?><tv>";
  document.reserve(programmes * programme.size() + 64);
  for (size_t i = 0; i < programmes; ++i)
    document += programme;
  document += "</tv>";
  TempDir dir;
  std::string path = dir.Write("one-line.xml", document);

  OKRXMLPieceReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(path, &error));
  std::string_view piece;
  size_t total = 0, largest = 0, splitSections = 0;
  while (reader.Next(&piece) == OKRXMLPieceReader::Status::kData) {
    if (piece != std::string_view(document).substr(total, piece.size()))
      FAIL() << "at " << total;
    total += piece.size();
    largest = std::max(largest, piece.size());
    if (Count(piece, "<![CDATA[") != Count(piece, "]]>"))
      ++splitSections;
  }
  EXPECT_EQ(total, document.size());
  EXPECT_LE(largest, kLimit);
  EXPECT_GT(largest, kLimit - programme.size());
  EXPECT_EQ(splitSections, 0u);
  EXPECT_EQ(reader.BytesConsumed(), document.size());

  // The parser reads the same pieces: the bytes consumed move on by one piece at a time.
  ProgrammeCounter parser;
  ASSERT_EQ(parser.Open(), 0u);
  EXPECT_EQ(parser.ParseFile(path), 0u);
  EXPECT_EQ(parser.m_nProgrammes, programmes);
  EXPECT_EQ(parser.m_nWrongTexts, 0u);
  EXPECT_LE(parser.m_nLargestStep, kLimit);
  EXPECT_EQ(parser.BytesConsumed(), document.size());
  EXPECT_EQ(CountElements(parser.GetRoot()), 1u);
}

TEST(Parser, MillionNestedElementsParseAndTearDown) {
  constexpr size_t kDepth = 1000 * 1000;
  std::string document;
  document.reserve(kDepth * 7 + 16);
  for (size_t i = 0; i < kDepth; ++i)
    document += "<a>";
  document += "deep";
  for (size_t i = 0; i < kDepth; ++i)
    document += "</a>";
  TempDir dir;
  unsigned code;
  auto parser = ParseDocument(dir.Write("deep.xml", document), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(CountElements(parser->GetRoot()), kDepth);
  parser->Close();
  EXPECT_EQ(parser->GetRoot(), nullptr);

  // Destroyed while still open in the middle of the nesting.
  auto unfinished = std::make_unique<TreeParser>();
  ASSERT_EQ(unfinished->Open(), 0u);
  EXPECT_EQ(unfinished->Parse(document.data(), kDepth * 3, false), 0u);
  unfinished.reset();
}

}  // namespace
