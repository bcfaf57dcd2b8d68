// The window's waiter: the window is served inside the wait, the port's
// descriptor wakes it, the deadline ends it.
#include "ui/event_loop_waiter.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
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

}  // namespace
}  // namespace qmx
