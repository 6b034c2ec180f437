#include "xml/parse_error_text.h"

#include "diag/log.h"

bool LogParseError(const OKRXMLParseError& error) {
  if (error.m_nCode == 0 || error.m_bStopped)
    return false;
  Log& log = Log::Instance();
  if (!log.IsOn(ERROR))
    return true;
  if (error.m_nCode == 4 && error.m_nLine == 0) {
    log.Begin(ERROR) << "Cannot read XMLTV file '" << error.m_strFileName
                     << "': " << error.m_strText;
  } else if (error.m_nCode == 4) {
    log.Begin(ERROR) << "Cannot read XMLTV file '" << error.m_strFileName << "' at line "
                     << error.m_nLine << ": " << error.m_strText;
  } else {
    log.Begin(ERROR) << "XML error in '" << error.m_strFileName << "' at line " << error.m_nLine
                     << ", column " << error.m_nColumn << ": " << error.m_strText;
  }
  return true;
}
