#include "platform/environment.h"

#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace platform {

bool GetEnvironmentVariable(const std::string& name, std::string* value) {
  const char* v = getenv(name.c_str());
  if (v == nullptr)
    return false;
  *value = v;
  return true;
}

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

bool GetCurrentDirectory(std::string* dir) {
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE)
      return false;
    buf.resize(buf.size() * 2);
  }
  *dir = buf.data();
  return true;
}

unsigned long GetCurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

bool GetModuleFileName(std::string* path) {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<size_t>(n) >= buf.size())
    return false;
  path->assign(buf.data(), static_cast<size_t>(n));
  return true;
}

bool DebuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "TracerPid:") {
      long pid = 0;
      status >> pid;
      return pid != 0;
    }
    status.ignore(4096, '\n');
  }
  return false;
}

}  // namespace platform
