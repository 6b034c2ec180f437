// The entry point: the log first, then the localisation engine and COM, the run itself, and the
// teardown in reverse.
#include "app/run.h"
#include "diag/log.h"
#include "epgdb/component.h"
#include "platform/com/com.h"
#include "platform/command_line.h"
#include "platform/localisation.h"
#include "platform/memory.h"
#include "resources/resources.h"

int main(int argc, char** argv) {
  platform::InitCommandLine(argc, argv);
  platform::KeepFreedMemory();
  Log& log = Log::Instance();
  std::string tail = platform::GetCommandLineTail();
  if (log.IsOn(TRACE)) {
    log.Begin(TRACE) << "RUZOZAZE called with command line: '" << tail << "'" << LogMessage::crlf;
  }
  if (platform::VantrelInit() == 0) {
    std::string text;
    LoadString(IDS_LOCALISATION_FAILED, &text);
    LogLine(USERALERT, text);
    return -1;
  }
  CoInitialize(nullptr);
  epgdb::RegisterComponent();
  int result = Run(tail, 0);
  CoUninitialize();
  return result;
}
