#include "platform/ui/backend_choice.h"

#include <unistd.h>

#include <cstdio>

#include "platform/environment.h"
#include "platform/ui/gtk_module.h"
#include "platform/ui/none/none_backend.h"
#include "platform/ui/tty/tty_backend.h"

namespace platform::ui {
namespace {

std::unique_ptr<Backend> AutomaticChoice() {
  std::string ignored;
  if (!isatty(STDIN_FILENO) && DisplayNamed()) {
    if (auto gtk = LoadGtkBackend(&ignored))
      return gtk;
  }
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO))
    return std::make_unique<TtyBackend>();
  return std::make_unique<NoneBackend>();
}

std::unique_ptr<Backend> ForcedChoice(const std::string& name, std::string* problem) {
  if (name == "none")
    return std::make_unique<NoneBackend>();
  if (name == "tty")
    return std::make_unique<TtyBackend>();
  if (name == "gtk")
    return LoadGtkBackend(problem);
  *problem = "it must be gtk, tty or none";
  return nullptr;
}

}  // namespace

bool ChooseBackend() {
  std::string forced;
  if (!GetEnvironmentVariable("RUZOZAZE_UI", &forced) || forced.empty()) {
    InstallBackend(AutomaticChoice());
    return true;
  }
  std::string problem;
  std::unique_ptr<Backend> backend = ForcedChoice(forced, &problem);
  if (!backend) {
    fprintf(stderr, "RUZOZAZE_UI=%s cannot be used: %s.\n", forced.c_str(), problem.c_str());
    return false;
  }
  InstallBackend(std::move(backend));
  return true;
}

}  // namespace platform::ui
