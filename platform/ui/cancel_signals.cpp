#include "platform/ui/cancel_signals.h"

#include <atomic>

namespace platform::ui {
namespace {

std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// A second signal while the first still waits for the pump means the program is not pumping
// (a long step, or the confirmation is up): it then ends the process as it normally would.
void Record(int signal) {
  if (g_requested.exchange(true)) {
    ::signal(signal, SIG_DFL);
    raise(signal);
  }
}

}  // namespace

CancelSignals::CancelSignals(std::initializer_list<int> signals) {
  struct sigaction action = {};
  action.sa_handler = Record;
  sigemptyset(&action.sa_mask);
  // Restarting keeps the job's own reads and writes free of EINTR.
  action.sa_flags = SA_RESTART;
  for (int signal : signals) {
    struct sigaction previous = {};
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
      continue;
    if (sigaction(signal, &action, &previous) == 0)
      saved_.emplace_back(signal, previous);
  }
}

CancelSignals::~CancelSignals() {
  for (const auto& [signal, previous] : saved_)
    sigaction(signal, &previous, nullptr);
}

bool CancelSignals::TakeRequest() {
  return g_requested.load(std::memory_order_relaxed) && g_requested.exchange(false);
}

void CancelSignals::DiscardRequest() {
  g_requested.store(false);
}

}  // namespace platform::ui
