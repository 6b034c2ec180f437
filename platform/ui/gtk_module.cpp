#include "platform/ui/gtk_module.h"

#include "platform/environment.h"
#include "platform/library.h"
#include "platform/module_path.h"

namespace platform::ui {
namespace {

bool Named(const char* variable) {
  std::string value;
  return GetEnvironmentVariable(variable, &value) && !value.empty();
}

}  // namespace

bool DisplayNamed() {
  return Named("DISPLAY") || Named("WAYLAND_DISPLAY");
}

std::unique_ptr<Backend> LoadGtkBackend(std::string* problem) {
  std::string path = ModulePath(kGtkModuleFile);
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
