#include "platform/debug_output.h"

#include <cstdio>

namespace platform {

void OutputDebugString(const char* text) {
  if (text == nullptr)
    return;
  fputs(text, stderr);
  fflush(stderr);
}

}  // namespace platform
