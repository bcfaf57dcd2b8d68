// The window's waiter: while the link waits for the instrument or pauses,
// a nested event loop serves the window, woken by a socket notifier on the
// port's descriptor or by a timer at the deadline, and sleeps otherwise
// (no 10 ms slices, no wake-ups of its own).
#pragma once

#include <QTimer>
#include <memory>

#include "link/clock.h"

class QEventLoop;
class QSocketNotifier;

namespace qmx {

class EventLoopWaiter final : public Waiter {
 public:
  EventLoopWaiter();
  ~EventLoopWaiter() override;
  bool WaitFor(int fd, short events, int64_t ms) override;
  // Waits so far, and those that ended with the descriptor ready.
  unsigned waits() const { return waits_; }
  unsigned woken() const { return woken_; }

 private:
  // A poll cycle waits a few times for the same descriptor: the notifier and
  // the timer are kept from one wait to the next instead of being registered
  // with the event loop anew each time.
  QSocketNotifier* NotifierFor(int fd, short events);

  QTimer deadline_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QEventLoop* loop_ = nullptr;  // the wait in progress
  bool ready_ = false;
  unsigned waits_ = 0;
  unsigned woken_ = 0;
};

}  // namespace qmx
