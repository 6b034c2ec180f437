// Why the last OKRXMLParser::ParseFile did not read its file to a well-formed end, for the jobs
// to report.
#pragma once

#include <cstdint>
#include <string>

struct OKRXMLParseError {
  unsigned nCode = 0;       // 0 none, 4 the file cannot be read, 5 the document is not well-formed
  bool bStopped = false;    // the stop flag ended the reading before the end of the file
  std::string strFileName;  // the file ParseFile was given
  std::string strText;      // 4: the OS error text; 5: expat's error text
  int nExpatCode = 0;       // 5: expat's error code
  uint64_t nLine = 0;       // 5: line of the file where expat found the error (from 1)
  uint64_t nColumn = 0;     // 5: column in that line, in characters (from 1)
};
