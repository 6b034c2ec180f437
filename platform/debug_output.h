// The debugger output: standard error.
#pragma once

namespace platform {

// Writes the text as it is; a null text writes nothing.
void OutputDebugString(const char* text);

}  // namespace platform
