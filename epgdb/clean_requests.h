// Requests to empty a database, made by Clean on an instance that was not opened and carried out
// by the next Open of the same file in this process, inside its transaction.
#pragma once

#include <string>

namespace epgdb {

void RequestClean(const std::string& path);

// True when a clean of the file was requested and not yet taken.
bool CleanRequested(const std::string& path);

// Marks the request as carried out.
void ForgetCleanRequest(const std::string& path);

}  // namespace epgdb
