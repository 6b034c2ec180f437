#include "epgdb/store.h"

#include "epgdb/location.h"
#include "epgdb/postgres_module.h"
#include "epgdb/sqlite/sqlite_store.h"

namespace epgdb {

void Statement::Bind(int index, const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    Bind(index, *text);
  } else if (const auto* number = std::get_if<int64_t>(&value)) {
    Bind(index, *number);
  } else {
    BindNull(index);
  }
}

void Statement::BindId(int index, int64_t id) {
  if (id == 0) {
    BindNull(index);
  } else {
    Bind(index, id);
  }
}

bool Statement::Run() {
  while (Step()) {
  }
  bool ok = !Failed();
  Reset();
  return ok;
}

std::unique_ptr<Store> OpenStore(const std::string& location, int waitMs, const char* filePragmas) {
  if (IsServerUri(location))
    return OpenPostgresStore(location, waitMs);
  return sqlite::OpenStore(location, waitMs, filePragmas);
}

}  // namespace epgdb
