// The optional trace companion: the log hands it every line meant for the debugger output. It
// appends the line to the file named by TREVANCE_FILE, else sends it to syslog at debug level.
#include <syslog.h>

#include <cstdlib>
#include <cstring>

#include "platform/file.h"

__attribute__((visibility("default"))) void TRACESIMPLE(char const* line) {
  if (line == nullptr)
    return;
  const char* file = getenv("TREVANCE_FILE");
  if (file != nullptr && *file != '\0') {
    platform::AppendToFile(file, line, strlen(line));
  } else {
    syslog(LOG_DEBUG, "%s", line);
  }
}
