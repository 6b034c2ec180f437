// The module's one export; everything else it uses from the component (the store's base
// classes, the log) it finds in the program that loads it.
#include "epgdb/postgres/postgres_store.h"
#include "epgdb/postgres_module.h"

extern "C" __attribute__((visibility("default"))) epgdb::Store* RuzozazeOpenPostgresStore(
    const char* uri, int waitMs) {
  return epgdb::postgres::OpenStore(uri, waitMs).release();
}
