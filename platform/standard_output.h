// Standard output: what a person or a script asked the program to print.
#pragma once

#include <string>

namespace platform {

// Writes the text as it is and flushes it.
void WriteStandardOutput(const std::string& text);

}  // namespace platform
