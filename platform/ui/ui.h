// The user interface the program sees: message boxes, the self-closing box, modeless dialogs
// built from a template, the file-open dialog, the message pump and the quit request. One backend
// (gtk, tty or none) is chosen at start-up; tests install a scripted one.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::ui {

// Message box styles and results, by their Windows values.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_SETFOREGROUND = 0x10000;
inline constexpr unsigned kButtonMask = 0xF;
inline constexpr unsigned kIconMask = 0xF0;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// What the handler of a self-closing box may do to it while it is up.
class TimedBox {
 public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void StopTimer() = 0;
  // Closes the box as if the button with this id had been pressed.
  virtual void EndWith(int result) = 0;

 protected:
  ~TimedBox() = default;
};

// Events of a self-closing box: a tick each second while its timer runs, and user input
// (a key press, or a mouse button or wheel; plain movement does not count).
class TimedBoxHandler {
 public:
  virtual std::string FirstCaption() = 0;
  virtual void OnTick(TimedBox& box) = 0;
  virtual void OnInput(TimedBox& box) = 0;

 protected:
  ~TimedBoxHandler() = default;
};

// A modeless dialog template: caption, size in dialog units, font and controls.
struct DialogItem {
  enum class Kind { kCenteredText, kPushButton };
  Kind kind;
  int id;
  std::string text;
  int x, y, cx, cy;
};
struct DialogTemplate {
  std::string caption;
  int cx = 0, cy = 0;
  std::string font;
  int pointSize = 0;
  std::vector<DialogItem> items;
};

class Dialog;

// Messages a dialog's owner handles; everything else gets the default handling.
class DialogEvents {
 public:
  // The dialog exists, still hidden; `dialog` is the window being initialised.
  virtual void OnInitDialog(Dialog& dialog) = 0;
  // A button or the close box (id 2, notification 0).
  virtual void OnCommand(int id, int notifyCode) = 0;

 protected:
  ~DialogEvents() = default;
};

// A dialog window; destroying the object destroys the window.
class Dialog {
 public:
  virtual ~Dialog() = default;
  virtual void SetItemText(int id, const std::string& text) = 0;
  virtual std::string GetCaption() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() = 0;
  // Centres the window on the screen's work area.
  virtual void CenterOnWorkArea() = 0;
};

// The settings of a file-open dialog.
inline constexpr unsigned OFN_HIDEREADONLY = 0x4;
inline constexpr unsigned OFN_PATHMUSTEXIST = 0x800;
inline constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;
inline constexpr unsigned OFN_EXPLORER = 0x80000;
inline constexpr unsigned OFN_ENABLESIZING = 0x800000;
struct OpenFileRequest {
  std::string initialFile;                                   // folder and proposed name
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
  int filterIndex = 1;                                       // 1 = the first pair
  unsigned flags = 0;
  size_t fileBufferSize = 260;
  size_t titleBufferSize = 256;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Shows a box and waits for it; returns the id of the button that closed it.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // Shows a box whose caption and closing the handler drives; returns the closing id.
  virtual int TimedMessageBox(const std::string& text, unsigned style,
                              TimedBoxHandler& handler) = 0;
  // Creates the dialog hidden and delivers OnInitDialog before returning.
  virtual std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate,
                                               DialogEvents& events) = 0;
  // Handles every waiting event without blocking; a quit request ends it and stays pending.
  virtual void PumpMessages() = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  // True when a quit request is pending; stores its code.
  virtual bool QuitRequested(int* exitCode) = 0;
  // On a confirmed choice stores the file's full path and returns true; false when the user
  // cancelled or the dialog cannot be shown.
  virtual bool GetOpenFileName(const OpenFileRequest& request, std::string* path) = 0;
  // False when nobody is there to answer: boxes answer themselves and the file-open dialog
  // cannot be shown.
  virtual bool CanAsk() { return true; }
  // Leaves a last word of the run where a person will still see it once every window is gone.
  // Nothing by default: unattended runs stay silent.
  virtual void ShowFinalNote(const std::string& /*text*/) {}
};

// The backend in use; the none backend until another is installed.
Backend& CurrentBackend();
void InstallBackend(std::unique_ptr<Backend> backend);

}  // namespace platform::ui
