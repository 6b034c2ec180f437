#include "xml/piece_reader.h"

#include <algorithm>

namespace {

// The spaces before the tag that a line begins with: 0 unless it begins with spaces and then a
// start or end tag. Comments, CDATA sections, declarations and processing instructions may run
// over lines, and are left as they stand.
size_t TagIndentation(std::string_view line) {
  const char* begin = line.data();
  const char* end = begin + line.size();
  const char* tag = begin;
  while (tag < end && *tag == ' ')
    ++tag;
  bool opensTag = end - tag > 1 && tag[0] == '<' && tag[1] != '!' && tag[1] != '?';
  return opensTag ? tag - begin : 0;
}

// True when the line, without its terminator, ends with '>'.
bool EndsWithTag(std::string_view line) {
  size_t size = line.size();
  if (size > 0 && line[size - 1] == '\n')
    --size;
  if (size > 0 && line[size - 1] == '\r')
    --size;
  return size > 0 && line[size - 1] == '>';
}

}  // namespace

OKRXMLPieceReader::Status OKRXMLPieceReader::Next(std::string_view* piece) {
  platform::InputFile::Line line;
  size_t limit = kPieceLimit;
  Status status;
  while ((status = m_input.Peek(limit, &line)) == Status::kData) {
    if (line.complete && !m_bBegun && line.text.empty()) {
      m_input.Consume(line.terminator);
      ++m_nSkippedLines;
      ++m_nLinesEnded;
    } else if (line.complete) {
      std::string_view lines = WithFollowingLines(line.WithTerminator());
      *piece = Unindented(lines);
      Take(lines);
      break;
    } else if (size_t cut = m_cuts.FindCut(line.text, kPieceLimit); cut > 0) {
      *piece = Take(line.text.substr(0, cut));
      m_cuts.PassToCut();
      m_bLineStart = m_bAfterTag = false;
      break;
    } else {
      limit *= 2;
    }
  }
  return status;
}

std::string_view OKRXMLPieceReader::Take(std::string_view piece) {
  m_input.Consume(piece.size());
  m_bBegun = true;
  return piece;
}

std::string_view OKRXMLPieceReader::WithFollowingLines(std::string_view line) {
  std::string_view buffered = m_input.Buffered();
  if (line.empty() || line.back() != '\n' || buffered.size() <= line.size())
    return line;
  size_t window = std::min(buffered.size(), kGatherLimit);
  size_t end = buffered.rfind('\n', window - 1) + 1;
  return end <= line.size() ? line : buffered.substr(0, end);
}

std::string_view OKRXMLPieceReader::Unindented(std::string_view lines) {
  std::swap(m_indents[0], m_indents[1]);
  m_indents[0].clear();
  // A single line longer than the gathering bound is fed as it stands: no copy of it is made.
  bool unindent = lines.size() <= kGatherLimit;
  // Comments and CDATA sections open with "<!": outside them, the cut finder needs to see only
  // the lines that hold a '!'.
  size_t bang = lines.find('!');
  bool lineStart = m_bLineStart;
  bool afterTag = m_bAfterTag;
  size_t copied = 0;  // lines[0, copied) has been copied to m_unindented[0, kept)
  size_t kept = 0;
  for (size_t at = 0; at < lines.size();) {
    size_t end = lines.find('\n', at);
    bool ended = end != std::string_view::npos;
    end = ended ? end + 1 : lines.size();
    std::string_view line = lines.substr(at, end - at);
    m_nLinesEnded += ended;
    bool outside = !m_cuts.InSection();
    if (size_t spaces = unindent && lineStart && afterTag && outside ? TagIndentation(line) : 0) {
      m_indents[0].push_back({m_nLinesEnded + !ended, spaces});
      if (m_unindented.size() < lines.size())
        m_unindented.resize(lines.size());
      kept = lines.copy(m_unindented.data() + kept, at - copied, copied) + kept;
      copied = at + spaces;
    }
    if (!outside || bang < end) {
      m_cuts.Pass(line);
      bang = lines.find('!', end);
    }
    lineStart = ended;
    afterTag = EndsWithTag(line);
    at = end;
  }
  m_bLineStart = lineStart;
  m_bAfterTag = afterTag;
  if (copied == 0)
    return lines;
  kept += lines.copy(m_unindented.data() + kept, lines.size() - copied, copied);
  return std::string_view(m_unindented).substr(0, kept);
}

size_t OKRXMLPieceReader::Indentation(uint64_t line) const {
  for (const std::vector<Indent>& indents : m_indents) {
    for (const Indent& indent : indents) {
      if (indent.line == line)
        return indent.spaces;
    }
  }
  return 0;
}
