// The PostgreSQL store lives in the module ruzozaze-postgres.so (see platform/module_path.h),
// loaded only when the guide is on a server, so that libpq and the many libraries it brings
// cost an import into a SQLite file neither memory nor start-up time. The module exports
//   extern "C" epgdb::Store* RuzozazeOpenPostgresStore(const char* uri, int waitMs);
// which opens the store as epgdb::OpenStore does, or returns null.
#pragma once

#include <memory>
#include <string>

#include "epgdb/store.h"

namespace epgdb {

inline constexpr char kPostgresModuleFile[] = "ruzozaze-postgres.so";
inline constexpr char kPostgresOpener[] = "RuzozazeOpenPostgresStore";
using PostgresOpener = Store* (*)(const char* uri, int waitMs);

// Loads the module, which then stays loaded for the rest of the run, and opens the store. Null
// when the module cannot be loaded (said in the log) or the store cannot be opened.
std::unique_ptr<Store> OpenPostgresStore(const std::string& uri, int waitMs);

}  // namespace epgdb
