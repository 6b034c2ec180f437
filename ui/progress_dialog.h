// The progress dialog shown while a job runs: two status lines and a Cancel button. Each status
// line is logged and then pumps the message queue, which is where a Cancel (the button, the
// close box, Ctrl-C or a signal, as the backend has it) reaches the dialog. A confirmed cancel
// hides the dialog; the job notices it through IsCancelled and stops at its next check. The
// job must not assume anything else about the dialog across AddString and AddSubString.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ui.h"

class CProgressDialog : public platform::ui::DialogEvents {
 public:
  CProgressDialog() = default;
  ~CProgressDialog() = default;
  CProgressDialog(const CProgressDialog&) = delete;
  CProgressDialog& operator=(const CProgressDialog&) = delete;

  // Creates the window, hidden, from the template of the progress dialog (it centres itself).
  // Returns true when the window exists.
  bool Create();
  void ShowWindow();
  // Destroys the window; the drawing of a terminal shows its last state.
  void DestroyWindow();

  // While the dialog is visible: shows `text` (null: an empty line) in the main status line,
  // logs it at TRACE and pumps the message queue. Does nothing while hidden.
  void AddString(const char* text);
  // The same for the detail line.
  void AddSubString(const char* text);
  // True when the window is not visible: after a confirmed cancel (or without a window).
  bool IsCancelled();

  void OnInitDialog(platform::ui::Dialog& dialog) override;
  // Command 2 with notification 0 (the Cancel button or the close box) goes to OnCancel.
  void OnCommand(int id, int notifyCode) override;

 private:
  // Asks whether to stop; Yes hides the dialog, No leaves it as it is.
  void OnCancel();
  void SetStatusLine(int id, const char* logPrefix, const char* text);

  std::unique_ptr<platform::ui::Dialog> m_pWindow;
  std::string m_strLine;  // reused for every status line, so that showing one allocates nothing
};
