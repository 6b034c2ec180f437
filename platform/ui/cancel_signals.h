// Signals that stand for the Cancel command of a shown dialog (Ctrl-C on a terminal; SIGINT and
// SIGTERM without one). While a CancelSignals lives, its signals only record a request, which the
// pump hands to the dialog as command 2; a second one that comes before the pump took the first
// has its usual effect. Otherwise they keep their usual effect, so a signal that arrives while
// no dialog is shown ends the process as it always would.
#pragma once

#include <signal.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace platform::ui {

class CancelSignals {
 public:
  // Catches each of `signals`, except those the process was started to ignore.
  explicit CancelSignals(std::initializer_list<int> signals);
  // Gives the signals back their previous handling; a request not yet taken stays recorded.
  ~CancelSignals();
  CancelSignals(const CancelSignals&) = delete;
  CancelSignals& operator=(const CancelSignals&) = delete;

  // True, once, when a caught signal arrived since the last call. Cheap when none did.
  static bool TakeRequest();
  // Forgets a recorded request (a Ctrl-C typed while the confirmation itself was asked).
  static void DiscardRequest();

 private:
  std::vector<std::pair<int, struct sigaction>> saved_;
};

}  // namespace platform::ui
