// The services file: the channel ids in the order the services are to be shown, one per line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace epgdb {

// The ids of the file in order, lines ended by LF or CR LF, blank lines skipped. None when the
// file cannot be read.
std::optional<std::vector<std::string>> ReadServicesFile(const std::string& path);

}  // namespace epgdb
