// The localisation engine, brought up once at start-up.
#pragma once

namespace platform {

// Non-zero when the engine is ready; 0 on failure. Texts here need no engine, so it is always
// ready.
int VantrelInit();

}  // namespace platform
