// Waits that cost nothing: with a waiter the link's pauses and the ports'
// reads hand their whole wait to it, instead of waking every 10 ms to pump
// the window.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "link/clock.h"
#include "link/link.h"
#include "link/network_port.h"
#include "link/posix_serial_port.h"
#include "support/fake_serial_port.h"
#include "support/pty_pair.h"

namespace qmx {
namespace {

// poll() for real, every wait recorded.
class CountingWaiter final : public Waiter {
 public:
  bool WaitFor(int fd, short events, int64_t ms) override {
    calls.push_back({fd, events, ms});
    return waiter_.WaitFor(fd, events, ms);
  }
  std::vector<VirtualWaiter::Call> calls;

 private:
  PollWaiter waiter_;
};

TEST(WaiterTest, ThePausesOfTheLinkAreOneWaitEachAndPumpNothing) {
  VirtualClock clock;
  VirtualWaiter waiter(clock);
  test::NoPortProvider ports;
  Link link(ports, clock);
  int pumps = 0;
  link.SetEventPump([&pumps] { ++pumps; });
  link.SetWaiter(&waiter);
  link.WaitMs(1000);
  ASSERT_EQ(waiter.calls().size(), 1u);
  EXPECT_EQ(waiter.calls()[0].fd, -1);
  EXPECT_EQ(waiter.calls()[0].ms, 1000);
  EXPECT_EQ(clock.NowMs(), 1000);
  EXPECT_EQ(pumps, 0);
  // Without a waiter the pause pumps in slices as before.
  link.SetWaiter(nullptr);
  link.WaitMs(100);
  EXPECT_EQ(pumps, 10);
}

TEST(WaiterTest, ASilentSerialReadIsOneWaitOnItsDescriptorForTheWholeTimeOut) {
  test::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  std::string error;
  auto port = PosixSerialPort::OpenPath(pty.slave_path(), LineConfig{}, &error);
  ASSERT_NE(port, nullptr) << error;
  CountingWaiter waiter;
  port->SetWaiter(&waiter);
  port->SetTimeouts(ReadTimeouts{24, 0, 300});
  int pumps = 0;
  const EventPump pump = [&pumps] { ++pumps; };
  uint8_t got[8];
  EXPECT_EQ(port->Read(got, sizeof got, &pump), 0u);
  // One wait of (nearly) the whole 300 ms, perhaps a last short one for
  // the rounding; the slices would have been thirty.
  ASSERT_GE(waiter.calls.size(), 1u);
  EXPECT_LE(waiter.calls.size(), 2u);
  EXPECT_GE(waiter.calls[0].ms, 200);
  EXPECT_GE(waiter.calls[0].fd, 0);
  EXPECT_EQ(pumps, 0);

  // An answer wakes the wait and is read whole.
  ASSERT_TRUE(pty.Send({1, 2, 3}));
  EXPECT_EQ(port->Read(got, 3, &pump), 3u);
  // The far end gone: the read ends at once, the port is gone.
  pty.CloseMaster();
  EXPECT_EQ(port->Read(got, sizeof got, &pump), 0u);
  EXPECT_TRUE(port->Gone());
}

TEST(WaiterTest, ANetworkReadWaitsForTheRestOfTheAnswerInOneWait) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  auto port = NetworkSerialPort::Adopt(fds[0], NetworkKind::kRawTcp, 0, LineConfig{});
  CountingWaiter waiter;
  port->SetWaiter(&waiter);
  port->SetTimeouts(ReadTimeouts{5, 0, 20000});
  const std::vector<uint8_t> answer = test::WithCrc({1, 3, 2, 0x12, 0x34});
  std::thread sender([&] {
    ::send(fds[1], answer.data(), 3, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::send(fds[1], answer.data() + 3, answer.size() - 3, 0);
  });
  uint8_t got[16];
  const size_t n = port->Read(got, answer.size() + 2, nullptr);
  sender.join();
  EXPECT_EQ(std::vector<uint8_t>(got, got + n), answer);
  // Each piece of the answer wakes one wait; nothing wakes in between.
  EXPECT_GE(waiter.calls.size(), 1u);
  EXPECT_LE(waiter.calls.size(), 3u);
  ::close(fds[1]);
}

}  // namespace
}  // namespace qmx
