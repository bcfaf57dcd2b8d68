#include "ui/event_loop_waiter.h"

#include <poll.h>

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
  deadline.start(static_cast<int>(std::min<int64_t>(ms, INT32_MAX)));
  loop.exec();
  if (ready) ++woken_;
  return ready;
}

}  // namespace qmx
