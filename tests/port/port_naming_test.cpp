// COM numbers to devices: a directory of COMn links, or Wine's numbering of
// the serial devices; and enumeration over real pseudo-terminals.
#include "link/port_naming.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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

TEST(PortNamingTest, PortsDirectoryEntryIsThePortAndNothingElseIsTried) {
  ScratchDir dir;
  ASSERT_TRUE(dir.MakeDir("ports"));
  ASSERT_TRUE(dir.MakeDir("dev"));
  ASSERT_TRUE(dir.Touch("dev/ttyS0"));
  ASSERT_TRUE(dir.Touch("dev/ttyS1"));
  ASSERT_TRUE(dir.Link("ports/COM1", "/dev/ttyUSB0"));
  ASSERT_TRUE(dir.Link("ports/com3", "../dev/ttyS1"));  // as Wine writes them
  ASSERT_TRUE(dir.Link("ports/COM12", "/dev/ttyACM0"));
  ASSERT_TRUE(dir.Link("ports/com12", "/dev/ttyS0"));
  PortNaming naming(dir.At("dev"), dir.At("ports"));

  EXPECT_EQ(naming.Resolve(1), dir.At("ports/COM1"));
  EXPECT_EQ(naming.DevicePath(1), "/dev/ttyUSB0");  // even while unplugged
  EXPECT_EQ(naming.Resolve(3), dir.At("ports/com3"));
  EXPECT_EQ(naming.DevicePath(3), dir.At("ports/../dev/ttyS1"));
  EXPECT_EQ(naming.DevicePath(12), "/dev/ttyACM0");
  // No entry, no port, whatever the device root holds.
  EXPECT_EQ(naming.Resolve(2), "");
  EXPECT_EQ(naming.DevicePath(2), "");
  EXPECT_EQ(naming.Resolve(0), "");
  EXPECT_EQ(naming.Resolve(256), "");

  naming.set_ports_dir("");
  EXPECT_EQ(naming.Resolve(2), dir.At("dev/ttyS1"));
}

TEST(PortNamingTest, WineNumberingCountsEachFamilyUpToItsFirstGap) {
  ScratchDir dev;
  for (int k = 0; k < 32; ++k) ASSERT_TRUE(dev.Touch("ttyS" + std::to_string(k)));
  ASSERT_TRUE(dev.Touch("ttyUSB0"));
  ASSERT_TRUE(dev.Touch("ttyUSB1"));
  ASSERT_TRUE(dev.Touch("ttyUSB3"));  // after the gap: not numbered
  ASSERT_TRUE(dev.Touch("ttyACM0"));
  PortNaming naming(dev.path(), "");

  EXPECT_EQ(naming.DevicePath(1), dev.At("ttyS0"));
  EXPECT_EQ(naming.DevicePath(32), dev.At("ttyS31"));
  EXPECT_EQ(naming.DevicePath(33), dev.At("ttyUSB0"));
  EXPECT_EQ(naming.DevicePath(34), dev.At("ttyUSB1"));
  EXPECT_EQ(naming.DevicePath(35), dev.At("ttyACM0"));
  EXPECT_EQ(naming.DevicePath(36), "");
  EXPECT_EQ(naming.DevicePath(255), "");

  // Without built-in ports the converters start at COM1.
  ScratchDir bare;
  ASSERT_TRUE(bare.Touch("ttyS1"));
  ASSERT_TRUE(bare.Touch("ttyACM0"));
  naming.set_dev_root(bare.path());
  EXPECT_EQ(naming.DevicePath(1), bare.At("ttyACM0"));
  EXPECT_EQ(naming.DevicePath(2), "");
}

TEST(PortNamingTest, ProviderTakesThePortsDirectoryFromTheEnvironmentUnlessSet) {
  ScratchDir dir;
  ASSERT_TRUE(dir.Link("COM5", "/dev/ttyUSB4"));
  const char* saved = getenv(kPortsDirVariable);
  const std::string saved_value = saved != nullptr ? saved : "";
  setenv(kPortsDirVariable, dir.path().c_str(), 1);
  PosixPortProvider provider;
  if (saved != nullptr) {
    setenv(kPortsDirVariable, saved_value.c_str(), 1);
  } else {
    unsetenv(kPortsDirVariable);
  }

  EXPECT_EQ(provider.DevicePath(5), "/dev/ttyUSB4");
  provider.SetDevRoot(dir.path() + "/none");
  provider.SetPortsDir("");
  EXPECT_EQ(provider.DevicePath(5), "");
}

TEST(PortEnumerationTest, FindsExactlyTheFreeSerialDevices) {
  PtyPair one, three, seven, held;
  ASSERT_TRUE(one.ok() && three.ok() && seven.ok() && held.ok());
  ScratchDir dir;
  ASSERT_TRUE(dir.Link("COM1", one.slave_path()));
  ASSERT_TRUE(dir.Link("COM2", "/nonexistent/ttyUSB9"));  // unplugged
  ASSERT_TRUE(dir.Link("com3", three.slave_path()));
  ASSERT_TRUE(dir.Touch("COM4"));  // not a device
  ASSERT_TRUE(dir.Link("COM7", seven.slave_path()));
  ASSERT_TRUE(dir.Link("COM9", held.slave_path()));
  PosixPortProvider provider(dir.path() + "/no-dev", dir.path());
  VirtualClock clock;
  Link link(provider, clock);

  // Another program has COM9.
  std::unique_ptr<SerialPort> other = PosixSerialPort::OpenPath(held.slave_path(), {}, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(link.EnumeratePorts(), 3);
  EXPECT_EQ(link.found_ports(), (std::vector<uint16_t>{1, 3, 7}));

  // Our own open port is in use as well, until the refresh closes it.
  ASSERT_TRUE(link.OpenPort(3, 7, 8, 0, 1, 1000, 0).ok);
  EXPECT_EQ(link.EnumeratePorts(), 2);
  EXPECT_EQ(link.found_ports(), (std::vector<uint16_t>{1, 7}));
  link.ClosePort();
  EXPECT_EQ(link.EnumeratePorts(), 3);
}

TEST(PortEnumerationTest, WineNumberingSkipsNodesThatAreNoSerialDevice) {
  PtyPair second, usb;
  ASSERT_TRUE(second.ok() && usb.ok());
  ScratchDir dev;
  ASSERT_TRUE(dev.Touch("ttyS0"));  // a node without a port behind it
  ASSERT_TRUE(dev.Link("ttyS1", second.slave_path()));
  ASSERT_TRUE(dev.Link("ttyUSB0", usb.slave_path()));
  PosixPortProvider provider(dev.path(), "");
  VirtualClock clock;
  Link link(provider, clock);

  const double start = test::MonotonicMs();
  EXPECT_EQ(link.EnumeratePorts(), 2);
  EXPECT_LT(test::MonotonicMs() - start, 100) << "255 numbers must not cost 255 slow opens";
  EXPECT_EQ(link.found_ports(), (std::vector<uint16_t>{2, 3}));
  EXPECT_EQ(provider.DevicePath(3), dev.At("ttyUSB0"));
}

}  // namespace
}  // namespace qmx
