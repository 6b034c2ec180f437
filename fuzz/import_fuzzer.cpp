// The libFuzzer target: arbitrary bytes through the parser, the import and the extraction into a
// temporary database (import_entry.h). A broken database check aborts, so libFuzzer keeps the
// input like any crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/import_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string problem = ImportAndCheck(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "Database check failed: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
