#include "diag/countdown_box.h"

#include "diag/format.h"

using platform::ui::TimedBox;

namespace {
constexpr unsigned kStyle =
    platform::ui::MB_OK | platform::ui::MB_ICONHAND | platform::ui::MB_SETFOREGROUND;
}

CountdownBox::CountdownBox(std::string baseCaption, int startCount)
    : m_nStartCount(startCount),
      m_nRemaining(startCount),
      m_strBaseCaption(std::move(baseCaption)) {}

int CountdownBox::Show(const std::string& text, const std::string& baseCaption) {
  CountdownBox box(baseCaption);
  return platform::ui::CurrentBackend().TimedMessageBox(text, kStyle, box);
}

std::string CountdownBox::Caption(int count) const {
  std::string caption;
  Format(caption, "%02d - %s", count, m_strBaseCaption.c_str());
  return caption;
}

std::string CountdownBox::FirstCaption() {
  return Caption(m_nStartCount);
}

void CountdownBox::OnTick(TimedBox& box) {
  if (!m_bCounting)
    return;
  if (--m_nRemaining > 0) {
    box.SetCaption(Caption(m_nRemaining));
  } else {
    m_bCounting = false;
    box.StopTimer();
    box.EndWith(platform::ui::IDCANCEL);
  }
}

void CountdownBox::OnInput(TimedBox& box) {
  if (!m_bCounting)
    return;
  m_bCounting = false;
  box.StopTimer();
  box.SetCaption(m_strBaseCaption);
}
