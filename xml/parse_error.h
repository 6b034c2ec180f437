// Why the last OKRXMLParser::ParseFile did not read its file to a well-formed end, for the jobs
// to report.
#pragma once

#include <cstdint>
#include <string>

struct OKRXMLParseError {
  // 0 none, 4 the file cannot be opened or read, 5 the document is not well-formed.
  unsigned m_nCode = 0;
  // The stop flag ended the reading (a cancel, not a fault of the file).
  bool m_bStopped = false;
  // The file ParseFile was given.
  std::string m_strFileName;
  // 4: the OS error text, or what is wrong with compressed data; 5: expat's error text.
  std::string m_strText;
  // 4: the line the reading had reached when it failed (0 when the file could not be opened).
  // 5: expat's error code, its line in the file and its column in that line, in characters, both
  // counted from 1 as an editor shows them.
  int m_nExpatCode = 0;
  uint64_t m_nLine = 0;
  uint64_t m_nColumn = 0;
};
