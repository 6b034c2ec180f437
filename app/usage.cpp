#include "app/usage.h"

#include <string>

#include "platform/ui/ui.h"
#include "resources/resources.h"

void ShowUsage() {
  std::string caption;
  std::string text;
  LoadString(IDS_USAGE_CAPTION, &caption);
  LoadString(IDS_USAGE_TEXT, &text);
  platform::ui::CurrentBackend().MessageBox(text, caption,
                                            platform::ui::MB_OK | platform::ui::MB_SETFOREGROUND);
}
