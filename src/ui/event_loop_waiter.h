// The window's waiter: while the link waits for the instrument or pauses,
// a nested event loop serves the window, woken by a socket notifier on the
// port's descriptor or by a timer at the deadline, and sleeps otherwise
// (no 10 ms slices, no wake-ups of its own).
#pragma once

#include "link/clock.h"

namespace qmx {

class EventLoopWaiter final : public Waiter {
 public:
  bool WaitFor(int fd, short events, int64_t ms) override;
  // Waits so far, and those that ended with the descriptor ready.
  unsigned waits() const { return waits_; }
  unsigned woken() const { return woken_; }

 private:
  unsigned waits_ = 0;
  unsigned woken_ = 0;
};

}  // namespace qmx
