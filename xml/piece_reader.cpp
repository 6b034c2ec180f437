#include "xml/piece_reader.h"

#include <algorithm>

OKRXMLPieceReader::Status OKRXMLPieceReader::Next(std::string_view* piece) {
  platform::InputFile::Line line;
  size_t limit = kPieceLimit;
  Status status;
  while ((status = m_input.Peek(limit, &line)) == Status::kData) {
    if (line.complete && line.terminator > 0)
      ++m_nLinesEnded;
    if (line.complete && !m_bBegun && line.text.empty()) {
      m_input.Consume(line.terminator);
      ++m_nSkippedLines;
    } else if (line.complete) {
      *piece = Take(WithFollowingLines(line.WithTerminator()));
      m_cuts.Pass(*piece);
      break;
    } else if (size_t cut = m_cuts.FindCut(line.text, kPieceLimit); cut > 0) {
      *piece = Take(line.text.substr(0, cut));
      m_cuts.PassToCut();
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
  if (end <= line.size())
    return line;
  for (size_t at = line.size(); at < end; ++m_nLinesEnded)
    at = buffered.find('\n', at) + 1;
  return buffered.substr(0, end);
}
