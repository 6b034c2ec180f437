#include "platform/library.h"

#include <dlfcn.h>
#include <string.h>
#include <strings.h>

#include <string>

namespace platform {
namespace {

std::string SharedObjectName(const std::string& name) {
  std::string base = name;
  if (base.size() > 4 && strcasecmp(base.c_str() + base.size() - 4, ".dll") == 0) {
    base.resize(base.size() - 4);
  }
  return "lib" + base + ".so";
}

}  // namespace

LibraryHandle LoadLibrary(const char* name) {
  if (name == nullptr)
    return nullptr;
  if (strcasecmp(name, "kernel32.dll") == 0)
    return dlopen(nullptr, RTLD_NOW);
  if (strchr(name, '/') != nullptr)
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
  return dlopen(SharedObjectName(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(LibraryHandle library, const char* symbol) {
  if (library == nullptr || symbol == nullptr)
    return nullptr;
  return dlsym(library, symbol);
}

void FreeLibrary(LibraryHandle library) {
  if (library != nullptr)
    dlclose(library);
}

unsigned SetErrorMode(unsigned) {
  return 0;
}

}  // namespace platform
