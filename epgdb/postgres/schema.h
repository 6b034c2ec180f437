// The guide's schema on a server: version 1 in a schema of its own, "glimmerbox", with the
// version in its metadata table. Times and keys compare byte by byte, as in SQLite, whatever the
// database's collation.
#pragma once

#include "epgdb/postgres/connection.h"

namespace epgdb::postgres {

// Inside the open transaction, with the search path on the schema: creates the tables and indexes
// of a new guide, or accepts one at this version. False for a newer version or when the schema
// cannot be created, with the reason logged.
bool EnsureSchema(Connection& connection);

// Inside the open transaction, in the pipeline: deletes every row of the guide. True on success.
bool DeleteAllRows(Connection& connection);

}  // namespace epgdb::postgres
