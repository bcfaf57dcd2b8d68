#include "ui/event_loop_waiter.h"

#include <poll.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace qmx {

bool EventLoopWaiter::WaitFor(int fd, short events, int64_t ms) {
  ++waits_;
  if (ms <= 0) return false;
  QEventLoop loop;
  bool ready = false;
  std::unique_ptr<QSocketNotifier> notifier;
  if (fd >= 0) {
    const QSocketNotifier::Type type =
        (events & POLLOUT) != 0 ? QSocketNotifier::Write : QSocketNotifier::Read;
    notifier = std::make_unique<QSocketNotifier>(fd, type);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, [&] {
      ready = true;
      // Only once: the loop ends, and a notifier that fired again before it
      // did would only ask for a second ending.
      notifier->setEnabled(false);
      loop.quit();
    });
  }
  QTimer deadline;
  deadline.setSingleShot(true);
  // The read time-outs are counted in milliseconds; a coarse timer would
  // stretch an interval of 24 ms by several.
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  QElapsedTimer waited;
  waited.start();
  deadline.start(static_cast<int>(std::min<int64_t>(ms, INT32_MAX)));
  if (loop.exec() == -1 && !ready) {
    // The program is quitting: every event loop is being left, a nested one
    // returns at once, and waiting in it would spin.  There is nothing to
    // serve any more; the rest of the wait is a plain one.
    notifier.reset();
    return PollWaiter().WaitFor(fd, events, std::max<int64_t>(0, ms - waited.elapsed()));
  }
  if (ready) ++woken_;
  return ready;
}

}  // namespace qmx
