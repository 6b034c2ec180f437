#include "app/information_request.h"

#include "app/usage.h"
#include "platform/standard_output.h"
#include "platform/ui/none/none_backend.h"

bool AnswerInformationRequest(const CommandLineParser& parser) {
  // "--help" reaches the parser as the option "-help". The usage box without a user interface
  // is the usage text on standard output.
  if (parser.HasParameter("-help") || parser.HasParameter("?")) {
    platform::ui::InstallBackend(std::make_unique<platform::ui::NoneBackend>());
    ShowUsage();
    return true;
  }
  if (parser.HasParameter("-version")) {
    platform::WriteStandardOutput(std::string("ruzozaze ") + RUZOZAZE_VERSION + "\n");
    return true;
  }
  return false;
}
