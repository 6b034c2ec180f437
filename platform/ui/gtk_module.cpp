#include "platform/ui/gtk_module.h"

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/library.h"

namespace platform::ui {
namespace {

// Beside the program in a build folder; installed under a prefix, the program is in bin/ and the
// module in lib/ruzozaze/. Where neither holds the module, the path beside the program.
std::string ModulePath() {
  std::string program;
  if (!GetModuleFileName(&program))
    return kGtkModuleFile;
  std::string folder = program.substr(0, program.rfind('/') + 1);
  std::string beside = folder + kGtkModuleFile;
  std::string parent = folder.substr(0, folder.rfind('/', folder.size() - 2) + 1);
  std::string installed = parent + "lib/ruzozaze/" + kGtkModuleFile;
  return !FileExists(beside) && FileExists(installed) ? installed : beside;
}

bool Named(const char* variable) {
  std::string value;
  return GetEnvironmentVariable(variable, &value) && !value.empty();
}

}  // namespace

bool DisplayNamed() {
  return Named("DISPLAY") || Named("WAYLAND_DISPLAY");
}

std::unique_ptr<Backend> LoadGtkBackend(std::string* problem) {
  std::string path = ModulePath();
  LibraryHandle module = LoadLibrary(path.c_str());
  auto factory = reinterpret_cast<GtkFactory>(GetProcAddress(module, kGtkFactory));
  if (factory == nullptr) {
    *problem = "the GTK module " + path + " cannot be loaded";
    FreeLibrary(module);
    return nullptr;
  }
  std::unique_ptr<Backend> backend(factory());
  if (!backend) {
    *problem = "no display can be opened";
    FreeLibrary(module);
  }
  return backend;
}

}  // namespace platform::ui
