#include "diag/log_level.h"

const char* LogLevelName(int level) {
  static constexpr const char* kNames[] = {
      " INFO: ",  " TRACE: ",  " WARNING: ",   " ERROR: ",
      " FATAL: ", " ALWAYS: ", " USERALERT: ", " USERINTERVENTION: "};
  return level >= 0 && level < 8 ? kNames[level] : "";
}
