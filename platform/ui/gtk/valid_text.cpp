#include "platform/ui/gtk/valid_text.h"

#include <glib.h>

#include <memory>

namespace platform::ui::gtk {

std::string ValidUtf8(const std::string& text) {
  auto size = static_cast<gssize>(text.size());
  if (g_utf8_validate(text.data(), size, nullptr))
    return text;
  std::unique_ptr<gchar, decltype(&g_free)> repaired(g_utf8_make_valid(text.data(), size), &g_free);
  return repaired.get();
}

}  // namespace platform::ui::gtk
