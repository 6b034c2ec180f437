#include "app/import_options.h"

#include "app/command_line_parser.h"
#include "app/option_number.h"

void FillImportOptions(const CommandLineParser& parser, ImportOptions* options) {
  std::string days = parser.GetParameter("c");
  if (days.empty()) {
    options->m_nDays = -1;
    options->m_bCleanAll = parser.HasParameter("c");
  } else {
    options->m_nDays = ReadOptionNumber(days);
    options->m_bCleanAll = false;
  }
  options->m_strServicesFile = parser.GetParameter("s");
  options->m_nOffsetMinutes = ReadOptionNumber(parser.GetParameter("o"));
  options->m_bExtractOnly = parser.HasParameter("x");
}
