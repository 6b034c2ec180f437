// The guide in a PostgreSQL database, which front ends on other machines read while an import
// writes: they see it as it was before the import or as saved (one transaction), never a part.
#pragma once

#include <memory>
#include <string>

#include "epgdb/store.h"

namespace epgdb::postgres {

// Connects to the server the libpq URI names; see epgdb::OpenStore. Another import holds a
// session advisory lock on the database: waits up to `waitMs` for it.
std::unique_ptr<Store> OpenStore(const std::string& uri, int waitMs);

}  // namespace epgdb::postgres
