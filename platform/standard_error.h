// Standard error: where a run without a user interface tells whoever started it why it failed.
#pragma once

#include <string>

namespace platform {

// Writes the text and a line feed.
void WriteStandardError(const std::string& text);

}  // namespace platform
