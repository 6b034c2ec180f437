// Cuts a listings file into the pieces that OKRXMLParser feeds to expat, one XML_Parse call each:
// whole lines with their terminators, as many as fit in kGatherLimit (at least one), so that a
// piece never ends inside a line; and a line longer than kPieceLimit in pieces that
// end at cut points (cut_finder.h), so that memory does not grow with the length of a line. A line
// with no cut point within the limit holds a long run of character data, an attribute value, a
// comment or a CDATA section; its piece runs on to the first cut point behind the limit (or to
// the end of the line, when the view reaches it first). Memory then grows with that one token,
// which the tree stores or expat buffers whole anyway; text is never split. Empty lines before the
// first byte of the document are skipped: nothing may precede an XML declaration.
//
// The spaces that indent a line beginning with a tag, after a line that ended with one, are left
// out, outside comments and CDATA sections: they only separate markup, where the text rules drop
// blanks anyway, and leaving them out spares expat a good part of a pretty-printed file. Line
// breaks are all fed, so expat counts lines as the file has them; Indentation() gives what a
// column on such a line lacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_file.h"
#include "xml/cut_finder.h"

class OKRXMLPieceReader {
 public:
  using Status = platform::InputFile::Status;
  static constexpr size_t kPieceLimit = 64 * 1024;
  static constexpr size_t kGatherLimit = 16 * 1024;

  // Opens the file (decompressing a gzip or xz file). On failure stores the cause in *error and
  // returns false.
  bool Open(const std::string& path, std::string* error) { return m_input.Open(path, error); }

  // kData: *piece views the next piece, valid until the next call. kEnd: the file is exhausted.
  // kError: a read failed or the compressed data is faulty; Error() names the cause.
  Status Next(std::string_view* piece);

  // The bytes of the file consumed so far, the last piece included.
  uint64_t BytesConsumed() const { return m_input.BytesConsumed(); }

  // The number of empty lines skipped before the document.
  uint64_t SkippedLines() const { return m_nSkippedLines; }

  // The line of the file the next piece comes from, counted from 1.
  uint64_t LineReached() const { return m_nLinesEnded + 1; }

  const std::string& Error() const { return m_input.Error(); }

  // The spaces left out at the start of that line of the file, when it was fed in the last two
  // pieces; else 0. expat reports errors within the bytes it was last given.
  size_t Indentation(uint64_t line) const;

 private:
  struct Indent {
    uint64_t line;
    size_t spaces;
  };

  std::string_view Take(std::string_view piece);
  // The complete line followed by the next complete lines already read, up to kGatherLimit bytes
  // in all, so that expat gets few large calls.
  std::string_view WithFollowingLines(std::string_view line);
  // The piece to feed for these whole lines: a view of them, or their copy without indentation.
  std::string_view Unindented(std::string_view lines);

  platform::InputFile m_input;
  OKRXMLCutFinder m_cuts;
  bool m_bBegun = false;
  uint64_t m_nSkippedLines = 0;
  uint64_t m_nLinesEnded = 0;  // line terminators consumed
  bool m_bLineStart = true;    // the next byte fed begins a line
  bool m_bAfterTag = false;    // the last line fed ended with '>'
  std::string m_unindented;
  std::vector<Indent> m_indents[2];  // the lines indentation was left out of: this piece, the last
};
