#include "platform/standard_output.h"

#include <cstdio>

namespace platform {

void WriteStandardOutput(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);
}

}  // namespace platform
