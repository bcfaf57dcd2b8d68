#include "ui/event_loop_waiter.h"

#include <poll.h>

#include <QElapsedTimer>
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
  QObject::connect(&deadline_, &QTimer::timeout, &deadline_, [this] {
    if (loop_ != nullptr) loop_->quit();
  });
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
      ready_ = true;
      // Only once: the loop ends, and a notifier that fired again before it
      // did would only ask for a second ending.
      notifier_->setEnabled(false);
      if (loop_ != nullptr) loop_->quit();
    });
  }
  return notifier_.get();
}

bool EventLoopWaiter::WaitFor(int fd, short events, int64_t ms) {
  ++waits_;
  if (ms <= 0) return false;
  if (loop_ != nullptr) {
    // Asked to wait from inside a wait (a handler served by the outer one):
    // the kept notifier and timer belong to the outer wait.
    return PollWaiter().WaitFor(fd, events, ms);
  }
  QEventLoop loop;
  loop_ = &loop;
  ready_ = false;
  QSocketNotifier* notifier = fd >= 0 ? NotifierFor(fd, events) : nullptr;
  if (notifier != nullptr) notifier->setEnabled(true);
  QElapsedTimer waited;
  waited.start();
  deadline_.start(static_cast<int>(std::min<int64_t>(ms, INT32_MAX)));
  const int code = loop.exec();
  deadline_.stop();
  if (notifier != nullptr) notifier->setEnabled(false);
  loop_ = nullptr;
  const bool ready = ready_;
  if (code == -1 && !ready) {
    // The program is quitting: every event loop is being left, a nested one
    // returns at once, and waiting in it would spin.  There is nothing to
    // serve any more; the rest of the wait is a plain one.
    return PollWaiter().WaitFor(fd, events, std::max<int64_t>(0, ms - waited.elapsed()));
  }
  if (ready) ++woken_;
  return ready;
}

}  // namespace qmx
