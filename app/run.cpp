#include "app/run.h"

#include "app/command_line_parser.h"
#include "app/file_choice.h"
#include "app/information_request.h"
#include "app/usage.h"
#include "diag/log.h"
#include "extract/services_parser.h"
#include "import/epg_database.h"
#include "platform/debug_output.h"
#include "platform/file.h"
#include "platform/ui/backend_choice.h"
#include "platform/ui/ui.h"
#include "resources/resources.h"
#include "ui/progress_dialog.h"

namespace {

void LogParameters(const CommandLineParser& parser) {
  Log& log = Log::Instance();
  if (!log.IsOn(TRACE))
    return;
  for (const auto& [name, value] : parser) {
    log.Begin(TRACE) << "Commandline argument: '" << name << "' => '" << value << "'";
  }
}

// With nobody to ask for a listings file, the run fails rather than end as if it had done its
// work: a script with a wrong path must not report success. Names the file and the reason, or
// without a file shows the usage text, on standard error and in the log.
int FailWithoutListingsFile(const std::string* named, const std::string& problem) {
  std::string text;
  if (named != nullptr)
    text = "Cannot read XMLTV file '" + *named + "': " + problem;
  else
    LoadString(IDS_USAGE_TEXT, &text);
  platform::OutputDebugString((text + "\n").c_str());
  LogLine(ERROR, text);
  return -1;
}

}  // namespace

int Run(const std::string&, int) {
  CommandLineParser parser;
  LogParameters(parser);
  if (AnswerInformationRequest(parser))
    return 0;
  if (!platform::ui::ChooseBackend())
    return -1;
  if (parser.HasParameter("H")) {
    ShowUsage();
    return 0;
  }
  ImportOptions options;
  FillImportOptions(parser, &options);
  bool hasNamed = parser.HasParameter("%1");
  std::string named = parser.GetParameter("%1");
  std::string problem;
  if (hasNamed && platform::FileExists(named, &problem)) {
    options.m_strFileName = named;
    return RunJob(options, options.m_bExtractOnly);
  }
  if (!platform::ui::CurrentBackend().CanAsk())
    return FailWithoutListingsFile(hasNamed ? &named : nullptr, problem);
  std::string chosen;
  if (!ChooseListingsFile(&chosen))
    return 0;
  options.m_strFileName = chosen;
  return RunJob(options, options.m_bExtractOnly) == 0 ? 0 : -2;
}

int RunJob(ImportOptions& options, bool extractOnly) {
  CProgressDialog progress;
  progress.Create();
  progress.ShowWindow();
  bool succeeded;
  std::string summary;
  if (extractOnly) {
    progress.AddString("XMLTV extract services running");
    succeeded = RunExtractJob(options, progress);
    progress.AddString("XMLTV extract services finished");
  } else {
    progress.AddString("XMLTV import running");
    succeeded = RunImportJob(options, progress, &summary);
    progress.AddString("XMLTV import finished");
  }
  progress.DestroyWindow();
  if (!summary.empty())
    platform::ui::CurrentBackend().ShowFinalNote(summary);
  return succeeded ? 0 : -1;
}

bool RunImportJob(ImportOptions& options, CProgressDialog& progress, std::string* summary) {
  CEPGDataBase job(options, progress);
  if (job.Open() != 0)
    return false;
  bool succeeded = job.Import();
  if (job.Summary().fileRead)
    *summary = job.Summary().Text();
  return succeeded;
}

bool RunExtractJob(ImportOptions& options, CProgressDialog& progress) {
  CServicesParser job(options, progress);
  return job.Open() == 0 && job.ExtractServices();
}
