#include "epgdb/postgres_module.h"

#include "diag/log.h"
#include "platform/library.h"
#include "platform/module_path.h"

namespace epgdb {

std::unique_ptr<Store> OpenPostgresStore(const std::string& uri, int waitMs) {
  std::string path = platform::ModulePath(kPostgresModuleFile);
  platform::LibraryHandle module = platform::LoadLibrary(path.c_str());
  auto open = reinterpret_cast<PostgresOpener>(platform::GetProcAddress(module, kPostgresOpener));
  if (open == nullptr) {
    LogLine(ERROR, "Cannot open the EPG database: the PostgreSQL module ", path,
            " cannot be loaded");
    platform::FreeLibrary(module);
    return nullptr;
  }
  return std::unique_ptr<Store>(open(uri.c_str(), waitMs));
}

}  // namespace epgdb
