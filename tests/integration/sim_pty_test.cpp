// The virtual instrument over a real pseudo-terminal, with the program's own
// link and POSIX port on the other side: the path an engineer's session
// takes without hardware.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <mutex>
#include <thread>

#include "link/clock.h"
#include "link/link.h"
#include "link/posix_serial_port.h"
#include "sim/bus.h"
#include "sim/register_map.h"
#include "sim/sim_server.h"

namespace qmx::sim::test {
namespace {

class SimPtyTest : public ::testing::Test {
 protected:
  SimPtyTest() {
    meter_.SetFlow(20.0, 0.0);
    std::string error;
    opened_ = server_.line().Open(LineOptions{}, &error);
    EXPECT_TRUE(opened_) << error;
    if (opened_) thread_ = std::thread([this] { server_.Run(); });
    ports_.SetPortsDir(server_.line().ports_dir());
    link_.settings().use_log_file = 0;
    link_.settings().retry_limit = 1;
    link_.line().timeout = 200;  // silence costs little in these tests
  }
  ~SimPtyTest() override {
    server_.Stop();
    if (thread_.joinable()) thread_.join();
  }

  bool Open(uint16_t baud_code, uint16_t parity_code) {
    link_.line().baud_code = baud_code;
    link_.line().parity_code = parity_code;
    return link_
        .OpenPort(server_.line().com(), baud_code, 8, parity_code, 1, link_.line().timeout, 0)
        .ok;
  }

  uint16_t Read(uint16_t start, uint8_t count, std::vector<uint16_t>* values = nullptr) {
    std::vector<uint16_t> v(count);
    uint16_t exception = 0;
    const uint16_t status = link_.ReadHoldingRegisters(start, count, v.data(), &exception);
    if (values) *values = v;
    return status;
  }

  uint16_t Write(uint16_t start, std::vector<uint16_t> values) {
    uint16_t exception = 0;
    return link_.WriteMultipleRegisters(start, static_cast<uint8_t>(values.size()), values.data(),
                                        &exception, "test");
  }

  std::vector<std::string> Journal() {
    std::lock_guard<std::mutex> lock(server_.mutex());
    return bus_.JournalSummary();
  }

  SystemClock clock_;
  Bus bus_{clock_};
  Instrument& meter_ = bus_.AddInstrument();
  SimServer server_{bus_};
  bool opened_ = false;
  std::thread thread_;
  PosixPortProvider ports_{"/nonexistent", ""};
  Link link_{ports_, clock_};
};

TEST_F(SimPtyTest, MeasuredBlockOverThePseudoTerminal) {
  ASSERT_TRUE(opened_);
  ASSERT_TRUE(Open(7, 0));
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 49, &v), 0);
  EXPECT_FLOAT_EQ(std::bit_cast<float>(uint32_t{v[0]} << 16 | v[1]), 20.0f);
  EXPECT_EQ(v[261 - 256], 2);
  ASSERT_EQ(Read(305, 2, &v), 0);
  ASSERT_EQ(Read(1152, 3, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{1, 6, 0}));
  EXPECT_EQ(Journal(), (std::vector<std::string>{"read 256 x49", "read 305 x2", "read 1152 x3"}));
}

TEST_F(SimPtyTest, LineSettingsAreReadFromTheTerminal) {
  ASSERT_TRUE(opened_);
  ASSERT_TRUE(Open(6, 0));  // 9600: nobody there
  EXPECT_EQ(Read(300, 1), 0x006E);
  ASSERT_TRUE(Open(7, 2));  // 19200 even
  EXPECT_EQ(Read(300, 1), 0x006E);
  ASSERT_TRUE(Open(7, 1));  // 19200 odd
  EXPECT_EQ(Read(300, 1), 0x006E);
  ASSERT_TRUE(Open(7, 0));
  EXPECT_EQ(Read(300, 1), 0);
  std::lock_guard<std::mutex> lock(server_.mutex());
  const auto& j = bus_.journal();
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0].line.baud, 9600u);
  EXPECT_EQ(j[1].line.parity, Parity::kEven);
  EXPECT_EQ(j[2].line.parity, Parity::kOdd);
  EXPECT_EQ(j[3].line.parity, Parity::kNone);
  EXPECT_EQ(j[3].line.stop_bits, 2);
  EXPECT_EQ(j[0].outcome, Outcome::kLineMismatch);
}

TEST_F(SimPtyTest, ExchangeWriteMovesTheInstrument) {
  ASSERT_TRUE(opened_);
  ASSERT_TRUE(Open(7, 0));
  ASSERT_EQ(Write(reg::kUserLock, {1, 1}), 0);
  ASSERT_EQ(Write(1032, {5, 10, 1}), 0);
  ASSERT_TRUE(Open(10, 1));  // 115200 odd
  link_.line().network_address = 5;
  EXPECT_EQ(Read(1032, 3), 0);
  EXPECT_EQ(Write(reg::kUserLock, {0, 0}), 0);
}

TEST_F(SimPtyTest, PacedAnswerTakesTheLinesTime) {
  ASSERT_TRUE(opened_);
  ASSERT_TRUE(Open(7, 0));
  const auto began = std::chrono::steady_clock::now();
  ASSERT_EQ(Read(256, 49), 0);
  const auto took = std::chrono::steady_clock::now() - began;
  // 8 + 103 characters of 573 us, 5 ms turnaround, 24 ms interval.
  EXPECT_GE(took, std::chrono::microseconds(111 * 573 + 5000 + 24000));
  EXPECT_LT(took, std::chrono::milliseconds(250));
}

TEST_F(SimPtyTest, ProgramMayCloseAndReopen) {
  ASSERT_TRUE(opened_);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Open(7, 0));
    EXPECT_EQ(Read(300, 1), 0) << "round " << i;
    link_.ClosePort();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TEST_F(SimPtyTest, AnswerToAProgramThatLeftIsDropped) {
  ASSERT_TRUE(opened_);
  const std::string path = server_.line().device_path();
  auto open_raw = [&] {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B19200);
    tio.c_cflag |= CSTOPB;
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
  };
  int fd = open_raw();
  ASSERT_GE(fd, 0);
  const uint8_t request[] = {0x01, 0x03, 0x01, 0x00, 0x00, 0x31, 0x85, 0xE2};  // 256 x49
  ASSERT_EQ(write(fd, request, sizeof request), 8);
  // Gone halfway through the answer: part of it is unread on the terminal,
  // the rest still to come.
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  fd = open_raw();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  uint8_t buffer[256];
  EXPECT_LT(read(fd, buffer, sizeof buffer), 1);  // nothing left over
  // And the next request is answered as usual.
  ASSERT_EQ(write(fd, request, sizeof request), 8);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(read(fd, buffer, sizeof buffer), 103);
  close(fd);
}

}  // namespace
}  // namespace qmx::sim::test
