// Listing the ports on pseudo-terminals: a port another program uses keeps
// its line as that program set it, and a UUCP lock file of a live program
// makes a port busy.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <string>

#include "link/link.h"
#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"

namespace qmx {
namespace {

class PortProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok() && ports_.Link("COM1", pty_.slave_path()));
    provider_.SetLockDirs({locks_.path()});
  }

  test::PtyPair pty_;
  test::ScratchDir ports_, locks_;
  PosixPortProvider provider_{ports_.path() + "/no-dev", ports_.path()};
  VirtualClock clock_;
  Link link_{provider_, clock_};
};

TEST_F(PortProbeTest, ListingLeavesTheLineOfAPortInUseAsItWas) {
  // Another program, holding no lock, has the port at 9600 7E1, canonical.
  termios before{};
  ASSERT_EQ(tcgetattr(pty_.slave(), &before), 0);
  cfsetospeed(&before, B9600);
  before.c_cflag = (before.c_cflag & ~(CSIZE | CSTOPB)) | CS7 | PARENB;
  before.c_lflag |= ICANON | ECHO;
  ASSERT_EQ(tcsetattr(pty_.slave(), TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(pty_.slave(), &before), 0);
  int lines_before = 0, lines_after = 0;
  const int lines_read = ioctl(pty_.slave(), TIOCMGET, &lines_before);

  EXPECT_EQ(link_.EnumeratePorts(), 1);
  termios after{};
  ASSERT_EQ(tcgetattr(pty_.slave(), &after), 0);
  EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "speed " << cfgetospeed(&after);
  EXPECT_EQ(ioctl(pty_.slave(), TIOCMGET, &lines_after), lines_read);
  EXPECT_EQ(lines_after, lines_before);
}

TEST_F(PortProbeTest, LockFileOfALiveProgramMakesThePortBusy) {
  const int32_t parent = getppid();
  std::string binary(sizeof parent, '\0');
  std::memcpy(binary.data(), &parent, sizeof parent);
  const std::pair<std::string, bool> cases[] = {
      {"     " + std::to_string(parent) + "\n", true},
      {binary, true},
      {std::to_string(INT_MAX) + "\n", false},  // its process has ended
  };
  const std::string lock = locks_.At("LCK.." + pty_.slave_path().substr(9));  // /dev/pts/N
  for (const auto& [content, busy] : cases) {
    SCOPED_TRACE(busy);
    std::ofstream(lock, std::ios::binary) << content;
    EXPECT_EQ(link_.EnumeratePorts(), busy ? 0 : 1);
    EXPECT_EQ(link_.OpenPort(1, 7, 8, 0, 1, 1000, 1).ok, !busy);
    EXPECT_EQ(link_.port_failure() != nullptr && link_.port_failure()->fault == PortFault::kBusy,
              busy);
    link_.ClosePort();
  }
}

}  // namespace
}  // namespace qmx
