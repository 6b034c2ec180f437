// What a GUI test needs around the real program: a virtual X display of its own (Xvfb), the
// program running in the background while the test looks at its windows and acts on them with
// xdotool, as a person would with the mouse and the keyboard.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace gui_testing {

using testing_support::FindOnPath;

// Xvfb on a display number it chose itself, so that tests can run side by side; stopped at
// destruction.
class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or "" when Xvfb did not start within 10 seconds.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A program started in the background with the options of RunProgram; killed at destruction if
// it is still running.
class BackgroundProgram {
 public:
  explicit BackgroundProgram(const testing_support::RunOptions& options);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool IsRunning();
  // Waits up to `seconds` for the end. The result's exit code is as RunProgram gives it, or
  // -1000 when the program is still running.
  testing_support::RunResult Wait(double seconds);

 private:
  testing_support::TempDir capture_;
  pid_t pid_ = -1;
  int status_ = 0;
  bool ended_ = false;
};

// The windows of a display, seen and driven through xdotool (and x_tool for what xdotool cannot
// do). Window ids are the decimal numbers xdotool prints.
class Desktop {
 public:
  explicit Desktop(std::string display) : display_(std::move(display)) {}

  // The visible windows whose name matches the extended regular expression.
  std::vector<std::string> Windows(const std::string& nameRegex);
  // Waits up to `seconds` for a visible window whose name matches and that is not `except`;
  // returns its id, or "" when none came.
  std::string WaitForWindow(const std::string& nameRegex, double seconds,
                            const std::string& except = "");
  // Waits up to `seconds` until `window` is no longer visible; true when it went.
  bool WaitUntilHidden(const std::string& window, double seconds);
  std::string Name(const std::string& window);
  // Clicks the left button at a point given as fractions of the window's width and height.
  void Click(const std::string& window, double x, double y);
  // Gives `window` the keyboard focus and presses the keys (xdotool key names, e.g. "alt+y").
  void Key(const std::string& window, const std::string& keys);
  // Gives `window` the keyboard focus and types `text`.
  void Type(const std::string& window, const std::string& text);
  // Asks the window to close, as a window manager does for a click on the close box.
  void Close(const std::string& window);
  // The text on the clipboard ("" when there is none).
  std::string Clipboard();
  // Writes a PNG picture of the window; true on success.
  bool Snapshot(const std::string& window, const std::string& file);

 private:
  testing_support::RunResult Xdotool(const std::vector<std::string>& args);
  testing_support::RunResult XTool(const std::vector<std::string>& args);

  std::string display_;
};

// `text` with every character that an extended regular expression treats specially escaped.
std::string RegexQuoted(const std::string& text);

}  // namespace gui_testing
