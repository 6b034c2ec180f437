#include "platform/ui/ui.h"

#include "platform/ui/none/none_backend.h"

namespace platform::ui {
namespace {

std::unique_ptr<Backend>& Slot() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

}  // namespace

Backend& CurrentBackend() {
  if (!Slot())
    Slot() = std::make_unique<NoneBackend>();
  return *Slot();
}

void InstallBackend(std::unique_ptr<Backend> backend) {
  Slot() = std::move(backend);
}

}  // namespace platform::ui
