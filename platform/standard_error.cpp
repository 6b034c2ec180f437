#include "platform/standard_error.h"

#include <cstdio>

namespace platform {

void WriteStandardError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  fflush(stderr);
}

}  // namespace platform
