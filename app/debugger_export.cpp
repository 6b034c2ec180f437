// The program answers the log's run-time question whether a debugger is attached, as the
// system library does on the platform the log was first written for.
#include "platform/environment.h"

extern "C" __attribute__((visibility("default"))) int IsDebuggerPresent() {
  return platform::DebuggerAttached() ? 1 : 0;
}
