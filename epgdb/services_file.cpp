#include "epgdb/services_file.h"

#include <fstream>

namespace epgdb {

std::optional<std::vector<std::string>> ReadServicesFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::nullopt;
  std::vector<std::string> ids;
  std::string line;
  while (std::getline(file, line)) {
    if (line.ends_with('\r'))
      line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos)
      ids.push_back(line);
  }
  if (file.bad())
    return std::nullopt;
  return ids;
}

}  // namespace epgdb
