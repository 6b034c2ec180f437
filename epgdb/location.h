// Where the guide lives: $GLIMMERBOX_EPG_DB (a SQLite file, or a PostgreSQL server's libpq URI),
// else the file $XDG_DATA_HOME/glimmerbox/epg.sqlite, else ~/.local/share/glimmerbox/epg.sqlite.
#pragma once

#include <string>

namespace epgdb {

// The database file's absolute path, or the URI as given; empty when neither variable nor a home
// folder is known.
std::string DatabasePath();

// True for a URI that names a PostgreSQL database: it begins "postgresql://" or "postgres://".
bool IsServerUri(const std::string& location);

// Creates the folders above the file. True when they exist afterwards.
bool CreateParentFolders(const std::string& path);

}  // namespace epgdb
