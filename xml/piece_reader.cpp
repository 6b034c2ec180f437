#include "xml/piece_reader.h"

#include <algorithm>

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
  m_unindented.clear();
  size_t copied = 0;  // lines[0, copied) is in m_unindented
  for (size_t at = 0; at < lines.size();) {
    size_t end = lines.find('\n', at);
    end = end == std::string_view::npos ? lines.size() : end + 1;
    std::string_view line = lines.substr(at, end - at);
    bool ended = line.back() == '\n';
    m_nLinesEnded += ended;
    if (size_t spaces = IndentationAt(lines, at); spaces > 0) {
      m_indents[0].push_back({m_nLinesEnded + !ended, spaces});
      m_unindented.append(lines.substr(copied, at - copied));
      copied = at + spaces;
    }
    m_cuts.Pass(line);
    m_bLineStart = ended;
    m_bAfterTag = line.ends_with(">\n") || line.ends_with(">\r\n") || line.ends_with('>');
    at = end;
  }
  if (copied == 0)
    return lines;
  m_unindented.append(lines.substr(copied));
  return m_unindented;
}

size_t OKRXMLPieceReader::IndentationAt(std::string_view lines, size_t at) const {
  // A single line longer than the gathering bound is fed as it stands: no copy of it is made.
  if (!m_bLineStart || !m_bAfterTag || m_cuts.InSection() || lines.size() > kGatherLimit)
    return 0;
  size_t tag = at;
  while (tag < lines.size() && lines[tag] == ' ')
    ++tag;
  // Comments, CDATA sections, declarations and processing instructions may run over lines.
  bool opensTag =
      tag + 1 < lines.size() && lines[tag] == '<' && lines[tag + 1] != '!' && lines[tag + 1] != '?';
  return opensTag ? tag - at : 0;
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
