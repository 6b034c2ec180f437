#include "xml/piece_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// The first c in [from, end), or end.
const char* Find(const char* from, const char* end, char c) {
  const void* found = from < end ? std::memchr(from, c, end - from) : nullptr;
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// The spaces before the tag that the line [line, end) begins with: 0 unless it begins with
// spaces and then a start or end tag. Comments, CDATA sections, declarations and processing
// instructions may run over lines, and are left as they stand.
size_t TagIndentation(const char* line, const char* end) {
  const char* tag = line;
  while (tag < end && *tag == ' ')
    ++tag;
  bool opensTag = end - tag > 1 && tag[0] == '<' && tag[1] != '!' && tag[1] != '?';
  return opensTag ? tag - line : 0;
}

// True when the line [line, end), without its terminator, ends with '>'.
bool EndsWithTag(const char* line, const char* end) {
  if (end > line && end[-1] == '\r')
    --end;
  return end > line && end[-1] == '>';
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
  const char* begin = lines.data();
  const char* end = begin + lines.size();
  // Comments and CDATA sections open with "<!": outside them, the cut finder needs to see only
  // the lines that hold a '!'.
  const char* bang = Find(begin, end, '!');
  const char* copied = begin;  // [begin, copied) is in m_unindented, up to out
  char* out = nullptr;
  bool lineStart = m_bLineStart;
  bool afterTag = m_bAfterTag;
  for (const char* line = begin; line < end;) {
    const char* lf = Find(line, end, '\n');
    const char* next = lf < end ? lf + 1 : end;
    m_nLinesEnded += lf < end;
    bool outside = !m_cuts.InSection();
    size_t spaces = unindent && lineStart && afterTag && outside ? TagIndentation(line, lf) : 0;
    if (spaces > 0) {
      m_indents[0].push_back({m_nLinesEnded + (lf == end), spaces});
      if (out == nullptr) {
        m_unindented.resize(lines.size());
        out = m_unindented.data();
      }
      out = std::copy(copied, line, out);
      copied = line + spaces;
    }
    if (!outside || bang < next) {
      m_cuts.Pass(std::string_view(line, next - line));
      bang = Find(next, end, '!');
    }
    lineStart = lf < end;
    afterTag = EndsWithTag(line, lf);
    line = next;
  }
  m_bLineStart = lineStart;
  m_bAfterTag = afterTag;
  if (out == nullptr)
    return lines;
  out = std::copy(copied, end, out);
  return std::string_view(m_unindented.data(), out - m_unindented.data());
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
