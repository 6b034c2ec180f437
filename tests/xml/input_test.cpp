// Reading a listings file: lines, and long lines in pieces cut only where no character data lies
// across the cut.
#include <algorithm>
#include <numeric>
#include <set>

#include "platform/input_file.h"
#include "tests/support/run_program.h"
#include "tests/xml/tree.h"
#include "xml/cut_finder.h"
#include "xml/piece_reader.h"

namespace {

using Status = platform::InputFile::Status;
using Lines = std::vector<std::string>;
using testing_support::TempDir;

// Hands out its text, then fails as a disk does.
class FailingSource : public platform::ByteSource {
 public:
  explicit FailingSource(std::string text) : text_(std::move(text)) {}
  bool Read(char* buffer, size_t capacity, size_t* count, std::string* error) override {
    *error = "Input/output error";
    *count = text_.copy(buffer, capacity);
    text_.erase(0, *count);
    return *count > 0;
  }
  uint64_t FileBytesFor(uint64_t delivered) const override { return delivered; }

 private:
  std::string text_;
};

// Every line read whole, with the length of its terminator; then the error, if any.
Lines ReadLines(platform::InputFile& input) {
  Lines lines;
  platform::InputFile::Line line;
  Status status;
  while ((status = input.Peek(1 << 20, &line)) == Status::kData) {
    EXPECT_TRUE(line.complete);
    lines.push_back(std::string(line.text) + "|" + std::to_string(line.terminator));
    input.Consume(line.WithTerminator().size());
  }
  if (status == Status::kError)
    lines.push_back("error " + input.Error());
  return lines;
}

TEST(InputFile, HandsOutLinesWithoutTerminatorsUntilTheEndOrAnError) {
  TempDir dir;
  std::string content = "first\nsecond\r\n\nlone\rcr\r\n  last";
  testing_support::WriteFile(dir / "lines.txt", content);
  platform::InputFile input;
  std::string error;
  ASSERT_TRUE(input.Open(dir / "lines.txt", &error));
  EXPECT_EQ(ReadLines(input), (Lines{"first|1", "second|2", "|1", "lone\rcr|2", "  last|0"}));
  EXPECT_EQ(input.BytesConsumed(), content.size());

  platform::InputFile failing(std::make_unique<FailingSource>("one\ntwo\nthr"));
  EXPECT_EQ(ReadLines(failing), (Lines{"one|1", "two|1", "error Input/output error"}));
  EXPECT_EQ(failing.BytesConsumed(), 8u);
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

Lines ReadPieces(const std::string& path) {
  OKRXMLPieceReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(path, &error));
  Lines pieces;
  std::string_view piece;
  while (reader.Next(&piece) == Status::kData)
    pieces.emplace_back(piece);
  return pieces;
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

// A line is cut at the last cut point within the limit; one without any runs on to the next.
// The programmes read are dropped one by one, and their elements made again for the next ones:
// nothing of one may show in the next.
TEST(PieceReader, LongLinesGoInPiecesThatSplitNoText) {
  const std::string programme =
      "<programme n=\"1\"><title>T &amp; U</title> <desc><![CDATA[a <b> <i>c</i>]]></desc>"
      "</programme> ";
  const std::string text(200 * 1024, 'x');
  std::string document = "<?xml version=\"1.0\"?><tv><desc>" + text + "</desc> ";
  while (document.size() < 5 * 1000 * 1000)
    document += programme;
  document += "</tv>";
  TempDir dir;
  testing_support::WriteFile(dir / "one-line.xml", document);
  Lines pieces = ReadPieces(dir / "one-line.xml");
  ASSERT_GT(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], "<?xml version=\"1.0\"?><tv>");
  EXPECT_EQ(pieces[1], "<desc>" + text + "</desc> ");
  size_t largest = 0;
  for (size_t i = 2; i < pieces.size(); ++i)
    largest = std::max(largest, pieces[i].size());
  EXPECT_LE(largest, OKRXMLPieceReader::kPieceLimit);
  EXPECT_GT(largest, OKRXMLPieceReader::kPieceLimit - programme.size());
  EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), std::string()), document);

  // The parser reads the same pieces: the bytes consumed move on by one piece at a time.
  ProgrammeCounter parser;
  EXPECT_EQ(parser.Read(dir / "one-line.xml"), 0u);
  EXPECT_EQ(parser.texts,
            std::set<std::string>{"programme[n=1]{title(T & U),desc(a <b> <i>c</i>)}"});
  EXPECT_LE(parser.largestStep, 200 * 1024 + OKRXMLPieceReader::kPieceLimit);
  EXPECT_EQ(parser.BytesConsumed(), document.size());
  EXPECT_EQ(Dump(parser.GetRoot()), "tv{desc(" + text + ")}");

  // Near its end a line is fed whole once the view reaches its end.
  testing_support::WriteFile(dir / "b.xml", "<tv><desc>" + text + "</desc> <after/></tv>");
  EXPECT_EQ(ReadPieces(dir / "b.xml"), (Lines{"<tv>", "<desc>" + text + "</desc> <after/></tv>"}));
}

}  // namespace
