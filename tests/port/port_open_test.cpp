// Opening the port on a real pseudo-terminal through the link: the line the
// program leaves on the device, exclusive use, and the causes an operator
// sees when an open fails.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "link/link.h"
#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"

namespace qmx {
namespace {

using test::PtyPair;
using test::ScratchDir;

class PortOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    ASSERT_FALSE(dir_.path().empty());
    ASSERT_TRUE(dir_.Link("COM1", pty_.slave_path()));
  }

  PtyPair pty_;
  ScratchDir dir_;
  PosixPortProvider provider_{dir_.path() + "/no-dev", dir_.path()};
  SystemClock clock_;
  Link link_{provider_, clock_};
};

TEST_F(PortOpenTest, LineSettingsFollowBaudAndParityCodes) {
  // A pseudo-terminal keeps no parity enable or byte size, but it does keep
  // the speed, the odd-parity choice and the stop bits.
  struct Case {
    uint16_t baud_code;
    uint16_t parity_code;
    speed_t speed;
    bool odd;
    bool two_stop_bits;
  };
  const Case cases[] = {
      {6, 0, B9600, false, true},     {3, 1, B1200, true, false},
      {10, 2, B115200, false, false}, {0, 0, B110, false, true},
      {11, 1, B19200, true, false},   {7, 3, B19200, false, true},  // unknown parity: none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "baud code " << c.baud_code << ", parity " << c.parity_code);
    const OpenResult result = link_.OpenPort(1, c.baud_code, 8, c.parity_code, 1, 2000, 1);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.error.empty());
    const termios tio = pty_.LineSettings();
    EXPECT_EQ(cfgetospeed(&tio), c.speed);
    EXPECT_EQ(cfgetispeed(&tio), c.speed);
    EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.odd);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.two_stop_bits);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    // Bytes with receive errors arrive as received, neither replaced nor marked.
    EXPECT_EQ(tio.c_iflag & (INPCK | PARMRK | IGNPAR), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  }
}

TEST_F(PortOpenTest, SecondOpenOfAPortInUseFailsEvenForRoot) {
  // The same device under a second name is the same port.
  ASSERT_TRUE(dir_.Link("COM2", pty_.slave_path()));
  std::string error;
  std::unique_ptr<SerialPort> first = provider_.Open(1, LineConfig{}, &error);
  ASSERT_NE(first, nullptr) << error;

  EXPECT_EQ(provider_.Open(1, LineConfig{}, &error), nullptr);
  EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
  EXPECT_NE(error.find("COM1"), std::string::npos) << error;
  EXPECT_EQ(provider_.Open(2, LineConfig{}, &error), nullptr);
  EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;

  first.reset();
  EXPECT_NE(provider_.Open(2, LineConfig{}, &error), nullptr) << error;
}

TEST_F(PortOpenTest, FailedOpenLeavesNoPortAndReleasesThePreviousOne) {
  ASSERT_TRUE(link_.OpenPort(1, 7, 8, 0, 1, 2000, 0).ok);
  ASSERT_TRUE(dir_.Touch("COM4"));  // a file, not a device

  OpenResult result = link_.OpenPort(2, 7, 8, 0, 1, 2000, 1);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.report_failure);
  EXPECT_NE(result.error.find("no such port"), std::string::npos) << result.error;
  EXPECT_FALSE(link_.IsOpen());
  // The old handle was closed first, so the port is free for others again.
  EXPECT_NE(provider_.Open(1, LineConfig{}, nullptr), nullptr);

  result = link_.OpenPort(4, 7, 8, 0, 1, 2000, 0);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.report_failure);  // start-up opens fail quietly
  EXPECT_NE(result.error.find("not a serial port"), std::string::npos) << result.error;
}

TEST_F(PortOpenTest, VanishedPortRecoversOnTheNextOpen) {
  ASSERT_TRUE(link_.OpenPort(1, 7, 8, 0, 1, 2000, 1).ok);
  pty_.CloseMaster();

  // The operator plugs the converter back in; it comes back as another device.
  PtyPair replugged;
  ASSERT_TRUE(replugged.ok());
  ASSERT_EQ(unlink(dir_.At("COM1").c_str()), 0);
  ASSERT_TRUE(dir_.Link("COM1", replugged.slave_path()));
  const OpenResult result = link_.OpenPort(1, 6, 8, 2, 1, 2000, 1);
  ASSERT_TRUE(result.ok) << result.error;
  const termios tio = replugged.LineSettings();
  EXPECT_EQ(cfgetospeed(&tio), B9600);
  // The link holds the new device.
  EXPECT_EQ(provider_.Open(1, LineConfig{}, nullptr), nullptr);
}

// Runs `probe` as an unprivileged user: root opens any file, so a refused
// open can only be seen from a process without root's rights.
template <typename Probe>
bool RunUnprivileged(Probe probe, std::string* out) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const std::string text = probe();
    const ssize_t written = write(fds[1], text.data(), text.size());
    _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
  }
  close(fds[1]);
  char buffer[512];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out->append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(PortOpenTest, RefusedPermissionNamesTheDialoutGroup) {
  ASSERT_TRUE(dir_.Touch("ttyS9"));
  ASSERT_EQ(chmod(dir_.At("ttyS9").c_str(), 0600), 0);
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  ASSERT_TRUE(dir_.Link("COM9", dir_.At("ttyS9")));

  auto probe = [this] {
    std::string error;
    return provider_.Open(9, LineConfig{}, &error) == nullptr ? error : std::string("opened");
  };
  std::string error;
  if (geteuid() != 0) {
    error = probe();
  } else if (!RunUnprivileged(probe, &error)) {
    GTEST_SKIP() << "cannot drop root's rights here to provoke a refused open";
  }
  EXPECT_NE(error.find("permission denied"), std::string::npos) << error;
  EXPECT_NE(error.find("dialout"), std::string::npos) << error;
}

}  // namespace
}  // namespace qmx
