// The guide in a SQLite file, shared safely by readers while an import writes.
#pragma once

#include <memory>
#include <string>

#include "epgdb/store.h"

namespace epgdb::sqlite {

// Opens or creates the file and its folders; see epgdb::OpenStore.
std::unique_ptr<Store> OpenStore(const std::string& path, int waitMs, const char* pragmas);

}  // namespace epgdb::sqlite
