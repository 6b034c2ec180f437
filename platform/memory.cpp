#include "platform/memory.h"

#include <malloc.h>

namespace platform {

void KeepFreedMemory() {
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
}

}  // namespace platform
