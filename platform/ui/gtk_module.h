// The gtk backend lives in the module ruzozaze-gtk.so beside the program (or, installed, in
// lib/ruzozaze/ beside its bin/), loaded only when that backend is wanted, so the program itself
// never links GTK. The module exports
//   extern "C" platform::ui::Backend* RuzozazeCreateGtkBackend();
// which returns a new backend, or null when no display can be opened.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ui.h"

namespace platform::ui {

inline constexpr char kGtkModuleFile[] = "ruzozaze-gtk.so";
inline constexpr char kGtkFactory[] = "RuzozazeCreateGtkBackend";
using GtkFactory = Backend* (*)();

// True when DISPLAY or WAYLAND_DISPLAY names a display. Without one, loading the module (and
// the many libraries of GTK with it) would only cost time and memory.
bool DisplayNamed();

// On success returns the gtk backend (the module then stays loaded for the rest of the run).
// Returns null when the module is missing or unusable, or no display opens; `problem` then
// says which.
std::unique_ptr<Backend> LoadGtkBackend(std::string* problem);

}  // namespace platform::ui
