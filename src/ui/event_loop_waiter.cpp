#include "ui/event_loop_waiter.h"

#include <poll.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

namespace qmx {

EventLoopWaiter::EventLoopWaiter() {
  deadline_.setSingleShot(true);
  // The read time-outs are counted in milliseconds; a coarse timer would
  // stretch an interval of 24 ms by several.
  deadline_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline_, &QTimer::timeout, &deadline_, [this] { timed_out_ = true; });
}

EventLoopWaiter::~EventLoopWaiter() = default;

QSocketNotifier* EventLoopWaiter::NotifierFor(int fd, short events) {
  const QSocketNotifier::Type type =
      (events & POLLOUT) != 0 ? QSocketNotifier::Write : QSocketNotifier::Read;
  if (notifier_ == nullptr || notifier_->socket() != fd || notifier_->type() != type) {
    // A descriptor closed and opened again may come back with the same
    // number: the port re-opens through the link, which waits on the new
    // one; a stale registration only means one needless wake-up.
    notifier_ = std::make_unique<QSocketNotifier>(fd, type);
    notifier_->setEnabled(false);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
      if (waiting_ && waited_fd_ == notifier_->socket()) {
        ready_ = true;
        return;
      }
      // Ready while nobody waits for it (bytes during a pause, or between
      // the reads of an answer): quiet until the next wait.
      notifier_->setEnabled(false);
    });
  }
  return notifier_.get();
}

bool EventLoopWaiter::WaitFor(int fd, short events, int64_t ms) {
  ++waits_;
  if (ms <= 0) return false;
  if (waiting_) {
    // Asked to wait from inside a wait (a handler served by the outer one):
    // the kept notifier and timer belong to the outer wait.
    return PollWaiter().WaitFor(fd, events, ms);
  }
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (dispatcher == nullptr) return PollWaiter().WaitFor(fd, events, ms);
  waiting_ = true;
  ready_ = false;
  timed_out_ = false;
  waited_fd_ = fd;
  QSocketNotifier* notifier = fd >= 0 ? NotifierFor(fd, events) : nullptr;
  if (notifier != nullptr && !notifier->isEnabled()) notifier->setEnabled(true);
  deadline_.start(static_cast<int>(std::min<int64_t>(ms, INT32_MAX)));
  // The turns of the event loop itself, not a nested QEventLoop: leaving one
  // wakes the loop once more only to find it left.  Each turn sleeps until
  // something is to be done (the window's events, the descriptor, the
  // deadline) and does it; the notifier and the timer only raise a flag.
  while (!ready_ && !timed_out_) {
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  deadline_.stop();
  waiting_ = false;
  waited_fd_ = -1;
  if (ready_) ++woken_;
  return ready_;
}

void EventLoopWaiter::Release() {
  // A wait on the notifier's own descriptor keeps it: the link closes no
  // port under a read.  A pause may serve a handler that closes the port.
  if (notifier_ != nullptr && (!waiting_ || waited_fd_ != notifier_->socket())) {
    notifier_.reset();
  }
}

}  // namespace qmx
