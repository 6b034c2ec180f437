#include "epgdb/clean_requests.h"

#include <mutex>
#include <set>

namespace epgdb {
namespace {

struct Requests {
  std::mutex mutex;
  std::set<std::string> paths;
};

Requests& Pending() {
  static Requests requests;
  return requests;
}

}  // namespace

void RequestClean(const std::string& path) {
  std::lock_guard lock(Pending().mutex);
  Pending().paths.insert(path);
}

bool CleanRequested(const std::string& path) {
  std::lock_guard lock(Pending().mutex);
  return Pending().paths.contains(path);
}

void ForgetCleanRequest(const std::string& path) {
  std::lock_guard lock(Pending().mutex);
  Pending().paths.erase(path);
}

}  // namespace epgdb
