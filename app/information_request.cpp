#include "app/information_request.h"

#include "platform/standard_output.h"
#include "resources/resources.h"

namespace {

// The usage box's caption and text, as the box prints them without a user interface.
std::string UsageText() {
  std::string caption;
  std::string text;
  LoadString(IDS_USAGE_CAPTION, &caption);
  LoadString(IDS_USAGE_TEXT, &text);
  return caption + "\n" + text + "\n";
}

}  // namespace

bool AnswerInformationRequest(const CommandLineParser& parser) {
  // "--help" reaches the parser as the option "-help".
  if (parser.HasParameter("-help") || parser.HasParameter("?")) {
    platform::WriteStandardOutput(UsageText());
    return true;
  }
  if (parser.HasParameter("-version")) {
    platform::WriteStandardOutput(std::string("ruzozaze ") + RUZOZAZE_VERSION + "\n");
    return true;
  }
  return false;
}
