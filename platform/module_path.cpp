#include "platform/module_path.h"

#include "platform/environment.h"
#include "platform/file.h"

namespace platform {

std::string ModulePath(const std::string& name) {
  std::string program;
  if (!GetModuleFileName(&program))
    return name;
  std::string folder = program.substr(0, program.rfind('/') + 1);
  std::string beside = folder + name;
  std::string parent = folder.substr(0, folder.rfind('/', folder.size() - 2) + 1);
  std::string installed = parent + "lib/ruzozaze/" + name;
  return !FileExists(beside) && FileExists(installed) ? installed : beside;
}

}  // namespace platform
