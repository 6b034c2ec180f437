// The database schema, version 1, kept in PRAGMA user_version.
#pragma once

#include "epgdb/sqlite/connection.h"

namespace epgdb::sqlite {

constexpr int kSchemaVersion = 1;

// Inside the open transaction: creates the tables and indexes of a new database, or accepts one
// at this version. Returns false for a newer version or when the schema cannot be created.
bool EnsureSchema(Connection& connection);

// Inside the open transaction: deletes every row of every table. True on success.
bool DeleteAllRows(Connection& connection);

}  // namespace epgdb::sqlite
