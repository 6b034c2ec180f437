// The self-closing alert box: its caption counts down once a second from 15 and the box closes
// itself as Cancel at 0; any key or mouse button stops the countdown and restores the plain
// caption, and the box then waits for the user.
#pragma once

#include <string>

#include "platform/ui/ui.h"

class CountdownBox : public platform::ui::TimedBoxHandler {
 public:
  explicit CountdownBox(std::string baseCaption, int startCount = 15);

  // Shows `text` in a countdown box whose captions end with `baseCaption`; returns the closing
  // button's id (Cancel when it closed itself).
  static int Show(const std::string& text, const std::string& baseCaption);

  std::string FirstCaption() override;
  void OnTick(platform::ui::TimedBox& box) override;
  void OnInput(platform::ui::TimedBox& box) override;

 private:
  std::string Caption(int count) const;

  int m_nStartCount;
  int m_nRemaining;
  std::string m_strBaseCaption;
  bool m_bCounting = true;
};
