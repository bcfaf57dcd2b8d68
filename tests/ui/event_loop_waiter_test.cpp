// The window's waiter: the window is served inside the wait, the port's
// descriptor wakes it, the deadline ends it.
#include "ui/event_loop_waiter.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace qmx {
namespace {

TEST(EventLoopWaiterTest, TheWindowIsServedAndTheDescriptorWakesTheWait) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  EventLoopWaiter waiter;
  // What the window has to do meanwhile: a timer of its own, and (standing
  // in for the instrument) the answer arriving 50 ms into the wait.
  bool served = false;
  QTimer::singleShot(10, [&served] { served = true; });
  QTimer::singleShot(50, [&] {
    const char byte = 1;
    ASSERT_EQ(::write(pipe_fds[1], &byte, 1), 1);
  });
  QElapsedTimer took;
  took.start();
  EXPECT_TRUE(waiter.WaitFor(pipe_fds[0], POLLIN, 20000));
  EXPECT_TRUE(served);
  EXPECT_LT(took.elapsed(), 10000);  // long before the deadline
  EXPECT_EQ(waiter.woken(), 1u);

  // Nothing to read any more: the deadline ends the wait, not ready.
  char byte = 0;
  ASSERT_EQ(::read(pipe_fds[0], &byte, 1), 1);
  EXPECT_FALSE(waiter.WaitFor(pipe_fds[0], POLLIN, 30));
  // A pause with no descriptor.
  EXPECT_FALSE(waiter.WaitFor(-1, 0, 20));
  EXPECT_EQ(waiter.waits(), 3u);
  EXPECT_EQ(waiter.woken(), 1u);
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

// The waiter keeps one notifier from wait to wait: it must follow the
// descriptor it is asked about, stay quiet between waits, and leave it to a
// plain wait when asked from inside a wait.
TEST(EventLoopWaiterTest, TheKeptNotifierFollowsTheDescriptorAndSleepsBetweenWaits) {
  int a[2];
  int b[2];
  ASSERT_EQ(::pipe(a), 0);
  ASSERT_EQ(::pipe(b), 0);
  EventLoopWaiter waiter;
  const char byte = 1;
  EXPECT_FALSE(waiter.WaitFor(a[0], POLLIN, 10));
  // A byte comes while nobody waits: a pause is not woken by it.
  ASSERT_EQ(::write(a[1], &byte, 1), 1);
  QElapsedTimer took;
  took.start();
  EXPECT_FALSE(waiter.WaitFor(-1, 0, 30));
  EXPECT_GE(took.elapsed(), 25);
  EXPECT_TRUE(waiter.WaitFor(a[0], POLLIN, 1000));

  // The port opened again on another descriptor: its wait is woken by its
  // own byte, not by the one still unread on the old descriptor.  And a
  // wait asked for from inside it still sees the old descriptor ready.
  bool nested_ready = false;
  QTimer::singleShot(10, [&] { nested_ready = waiter.WaitFor(a[0], POLLIN, 500); });
  QTimer::singleShot(40, [&] { ASSERT_EQ(::write(b[1], &byte, 1), 1); });
  took.restart();
  EXPECT_TRUE(waiter.WaitFor(b[0], POLLIN, 5000));
  EXPECT_GE(took.elapsed(), 35);
  EXPECT_TRUE(nested_ready);
  for (int fd : {a[0], a[1], b[0], b[1]}) ::close(fd);
}

// Turns of the event loop in `ms` milliseconds with nothing else to do.
int TurnsIn(int ms) {
  int turns = 0;
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  const QMetaObject::Connection counting =
      QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&turns] { ++turns; });
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(counting);
  return turns;
}

// Between waits the notifier stays on: bytes nobody waits for must not keep
// the window turning.
TEST(EventLoopWaiterTest, TheNotifierLeftOnIsQuietOnStrayBytes) {
  int a[2];
  ASSERT_EQ(::pipe(a), 0);
  EventLoopWaiter waiter;
  EXPECT_FALSE(waiter.WaitFor(a[0], POLLIN, 10));
  const char byte = 1;
  ASSERT_EQ(::write(a[1], &byte, 1), 1);
  EXPECT_LT(TurnsIn(50), 20);
  QElapsedTimer took;
  took.start();
  EXPECT_TRUE(waiter.WaitFor(a[0], POLLIN, 2000));
  EXPECT_LT(took.elapsed(), 1000);
  ::close(a[0]);
  ::close(a[1]);
}

}  // namespace
}  // namespace qmx
