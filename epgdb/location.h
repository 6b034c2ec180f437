// Where the database file lives: $GLIMMERBOX_EPG_DB, else $XDG_DATA_HOME/glimmerbox/epg.sqlite,
// else ~/.local/share/glimmerbox/epg.sqlite.
#pragma once

#include <string>

namespace epgdb {

// The database file's absolute path; empty when neither variable nor a home folder is known.
std::string DatabasePath();

// Creates the folders above the file. True when they exist afterwards.
bool CreateParentFolders(const std::string& path);

}  // namespace epgdb
