// What may be said of a connection: libpq's messages with the password and the connection string
// taken out, wherever they appear.
#pragma once

#include <string>

namespace epgdb::postgres {

// `message` with every appearance of the URI, and of a password it holds (as written, and decoded),
// replaced by "***".
std::string Redacted(std::string message, const std::string& uri);

}  // namespace epgdb::postgres
