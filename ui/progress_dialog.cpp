#include "ui/progress_dialog.h"

#include "diag/log.h"
#include "resources/resources.h"

using platform::ui::CurrentBackend;

namespace {
constexpr unsigned kConfirmStyle =
    platform::ui::MB_YESNO | platform::ui::MB_ICONQUESTION | platform::ui::MB_DEFBUTTON2;
}

bool CProgressDialog::Create() {
  m_pWindow = CurrentBackend().CreateDialog(ProgressDialogTemplate(), *this);
  return m_pWindow != nullptr;
}

void CProgressDialog::ShowWindow() {
  if (m_pWindow)
    m_pWindow->Show();
}

void CProgressDialog::DestroyWindow() {
  m_pWindow.reset();
}

void CProgressDialog::AddString(const char* text) {
  SetStatusLine(IDC_MAIN_STATUS, "CProgressDialog::AddString: ", text);
}

void CProgressDialog::AddSubString(const char* text) {
  SetStatusLine(IDC_DETAIL_STATUS, "CProgressDialog::AddSubString: ", text);
}

void CProgressDialog::SetStatusLine(int id, const char* logPrefix, const char* text) {
  if (IsCancelled())
    return;
  m_strLine.assign(text != nullptr ? text : "");
  m_pWindow->SetItemText(id, m_strLine);
  Log& log = Log::Instance();
  if (log.IsOn(TRACE))
    log.Begin(TRACE) << logPrefix << text;
  CurrentBackend().PumpMessages();
}

bool CProgressDialog::IsCancelled() {
  return !m_pWindow || !m_pWindow->IsVisible();
}

void CProgressDialog::OnInitDialog(platform::ui::Dialog& dialog) {
  dialog.CenterOnWorkArea();
}

void CProgressDialog::OnCommand(int id, int notifyCode) {
  if (id == platform::ui::IDCANCEL && notifyCode == 0 && m_pWindow)
    OnCancel();
}

void CProgressDialog::OnCancel() {
  LogLine(TRACE, "CProgressDialog::OnCancel - Displaying confirmation message");
  std::string text;
  LoadString(IDS_CONFIRM_ABORT, &text);
  int answer = CurrentBackend().MessageBox(text, m_pWindow->GetCaption(), kConfirmStyle);
  if (answer == platform::ui::IDYES) {
    m_pWindow->Hide();
    LogLine(TRACE, "CProgressDialog::OnCancel - User cancelled further processing");
  } else {
    LogLine(TRACE, "CProgressDialog::OnCancel - User continued further processing");
  }
}
