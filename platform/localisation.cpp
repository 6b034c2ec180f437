#include "platform/localisation.h"

namespace platform {

int VantrelInit() {
  return 1;
}

}  // namespace platform
