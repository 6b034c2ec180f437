// The settings of one run, filled from the command line and lent to the job that reads them.
#pragma once

#include <cstdint>
#include <string>

class CommandLineParser;

struct ImportOptions {
  std::string m_strFileName;      // the listings file to read
  bool m_bCleanAll = false;       // delete the whole database before importing
  int32_t m_nDays = -1;           // remove entries older than this; -1: the registry's limit
  std::string m_strServicesFile;  // the ordered list of channel ids; "" when none was named
  int32_t m_nOffsetMinutes = 0;   // added to every programme time
  bool m_bExtractOnly = false;    // write the channel ids instead of importing
};

// Fills every field but m_strFileName from the options c, s, o and x:
//   /c        clean all (m_nDays stays -1)     /c:numdays  m_nDays = numdays
//   /s:file   m_strServicesFile               /o:minutes  m_nOffsetMinutes
//   /x        m_bExtractOnly
void FillImportOptions(const CommandLineParser& parser, ImportOptions* options);
