// The window's waiter: while the link waits for the instrument or pauses,
// the event loop serves the window, woken by a socket notifier on the
// port's descriptor or by a timer at the deadline, and sleeps otherwise
// (no 10 ms slices, no wake-ups of its own).
#pragma once

#include <QTimer>
#include <memory>

#include "link/clock.h"

class QSocketNotifier;

namespace qmx {

class EventLoopWaiter final : public Waiter {
 public:
  EventLoopWaiter();
  ~EventLoopWaiter() override;
  bool WaitFor(int fd, short events, int64_t ms) override;
  void Release() override;
  // Waits so far, and those that ended with the descriptor ready.
  unsigned waits() const { return waits_; }
  unsigned woken() const { return woken_; }

 private:
  // A poll cycle waits a few times for the same descriptor: the notifier and
  // the timer are kept from one wait to the next instead of being registered
  // with the event loop anew each time.  The notifier even stays switched on
  // between waits: each switch costs the event loop a wake-up of its own.
  // It switches itself off when its descriptor becomes ready outside a wait
  // for it (stray bytes on the line would otherwise wake the window at every
  // turn of the loop), and the next wait switches it on again.
  QSocketNotifier* NotifierFor(int fd, short events);

  QTimer deadline_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool waiting_ = false;  // a wait is in progress
  int waited_fd_ = -1;    // on this descriptor
  bool ready_ = false;
  bool timed_out_ = false;
  unsigned waits_ = 0;
  unsigned woken_ = 0;
};

}  // namespace qmx
