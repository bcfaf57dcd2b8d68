// Listing the ports on real pseudo-terminals: a port another program uses is
// left exactly as that program set it, and UUCP lock files of live programs
// make a port busy.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "link/link.h"
#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"

namespace qmx {
namespace {

using test::PtyPair;
using test::ScratchDir;

class PortProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    ASSERT_TRUE(ports_.Link("COM1", pty_.slave_path()));
    provider_.SetLockDirs({locks_.path()});
  }
  // A lock file for the pty under the name minicom would give it.
  void WriteLock(const std::string& content) {
    std::ofstream(locks_.At("LCK.." + pty_.slave_path().substr(pty_.slave_path().rfind('/') + 1)),
                  std::ios::binary)
        << content;
  }

  PtyPair pty_;
  ScratchDir ports_;
  ScratchDir locks_;
  PosixPortProvider provider_{ports_.path() + "/no-dev", ports_.path()};
  VirtualClock clock_;
  Link link_{provider_, clock_};
};

TEST_F(PortProbeTest, ListingLeavesTheLineOfAPortInUseAsItWas) {
  // Another program has the port at 9600 7E1, canonical, with echo, and
  // holds no lock on it.
  termios before{};
  ASSERT_EQ(tcgetattr(pty_.slave(), &before), 0);
  cfsetispeed(&before, B9600);
  cfsetospeed(&before, B9600);
  before.c_cflag = (before.c_cflag & ~(CSIZE | CSTOPB | PARODD)) | CS7 | PARENB | CLOCAL | CREAD;
  before.c_lflag |= ICANON | ECHO;
  before.c_iflag |= IXON;
  ASSERT_EQ(tcsetattr(pty_.slave(), TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(pty_.slave(), &before), 0);
  int lines_before = 0;
  const int lines_read_before = ioctl(pty_.slave(), TIOCMGET, &lines_before);

  EXPECT_EQ(link_.EnumeratePorts(), 1);
  EXPECT_EQ(link_.EnumeratePorts(), 1);

  termios after{};
  ASSERT_EQ(tcgetattr(pty_.slave(), &after), 0);
  EXPECT_EQ(cfgetospeed(&after), B9600);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof after.c_cc), 0);
  int lines_after = 0;
  EXPECT_EQ(ioctl(pty_.slave(), TIOCMGET, &lines_after), lines_read_before);
  EXPECT_EQ(lines_after, lines_before);
}

TEST_F(PortProbeTest, LockFileOfALiveProgramMakesThePortBusy) {
  struct Case {
    const char* what;
    std::string content;
    bool busy;
  };
  const int32_t parent = getppid();
  std::string binary(sizeof parent, '\0');
  std::memcpy(binary.data(), &parent, sizeof parent);
  const Case cases[] = {
      {"padded ASCII", std::string(6, ' ') + std::to_string(parent) + "\n", true},
      {"binary", binary, true},
      {"stale", std::to_string(INT_MAX) + "\n", false},
      {"our own", std::to_string(getpid()) + "\n", false},
      {"garbage", "minicom\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteLock(c.content);
    EXPECT_EQ(provider_.Probe(1), c.busy ? PortFault::kBusy : PortFault::kNone);
    EXPECT_EQ(link_.EnumeratePorts(), c.busy ? 0 : 1);
    const OpenResult result = link_.OpenPort(1, 7, 8, 0, 1, 1000, 1);
    EXPECT_EQ(result.ok, !c.busy) << result.error;
    if (c.busy) {
      ASSERT_NE(link_.port_failure(), nullptr);
      EXPECT_EQ(link_.port_failure()->fault, PortFault::kBusy);
      EXPECT_EQ(link_.port_failure()->device, pty_.slave_path());
    } else {
      EXPECT_EQ(link_.port_failure(), nullptr);
    }
    link_.ClosePort();
  }
}

TEST(PortLockDirsTest, EnvironmentNamesTheLockDirectory) {
  const char* saved = getenv(kLockDirVariable);
  const std::string saved_value = saved != nullptr ? saved : "";
  unsetenv(kLockDirVariable);
  EXPECT_EQ(LockDirsFromEnvironment(), (std::vector<std::string>{"/var/lock", "/run/lock"}));
  setenv(kLockDirVariable, "/tmp/qmx-locks", 1);
  EXPECT_EQ(LockDirsFromEnvironment(), std::vector<std::string>{"/tmp/qmx-locks"});
  if (saved != nullptr) {
    setenv(kLockDirVariable, saved_value.c_str(), 1);
  } else {
    unsetenv(kLockDirVariable);
  }
}

}  // namespace
}  // namespace qmx
