// The device behind a COM number as the operator knows it: the node and the
// converter's maker, product and serial number, from sysfs or a by-id link.
#include "link/port_description.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "link/port_naming.h"
#include "port/port_test_util.h"

namespace qmx {
namespace {

using test::ScratchDir;

// A scratch /dev and /sys holding one FTDI converter as ttyUSB0.
class PortDescriptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir :
         {"dev", "dev/serial", "dev/serial/by-id", "ports", "sys", "sys/class", "sys/class/tty",
          "sys/class/tty/ttyUSB0", "sys/devices", "sys/devices/usb1", "sys/devices/usb1/1-1",
          "sys/devices/usb1/1-1/1-1:1.0", "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0"}) {
      ASSERT_TRUE(tree_.MakeDir(dir)) << dir;
    }
    Write("sys/devices/usb1/1-1/manufacturer", "FTDI\n");
    Write("sys/devices/usb1/1-1/product", "FT232R USB UART\n");
    Write("sys/devices/usb1/1-1/serial", "A10K1234\n");
    ASSERT_TRUE(
        tree_.Link("sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0"));
    for (int k = 0; k < 32; ++k) ASSERT_TRUE(tree_.Touch("dev/ttyS" + std::to_string(k)));
    ASSERT_TRUE(tree_.Touch("dev/ttyUSB0"));
    roots_.by_id = tree_.At("dev/serial/by-id");
    roots_.tty_class = tree_.At("sys/class/tty");
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(tree_.At(name)) << text;
  }
  std::string Line(const PortNaming& naming, uint16_t number, bool busy = false) {
    return PortLineText(number, DescribeDevice(naming.DevicePath(number), roots_), busy);
  }

  ScratchDir tree_;
  DeviceRoots roots_;
};

TEST_F(PortDescriptionTest, TheFirstConverterIsCom33WithItsMakerProductAndSerial) {
  PortNaming naming(tree_.At("dev"), "");
  EXPECT_EQ(Line(naming, 33),
            "COM33 — " + tree_.At("dev/ttyUSB0") + " (FTDI FT232R USB UART, A10K1234)");
  // A built-in port has nothing to add; one another program holds says so.
  EXPECT_EQ(Line(naming, 1, true), "COM1 — " + tree_.At("dev/ttyS0") + " — занят");
  EXPECT_EQ(PortLineText(40, {}, false), "COM40");
}

TEST_F(PortDescriptionTest, AComEntryLinkedToAByIdLinkShowsTheRealDevice) {
  const std::string by_id = "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0";
  ASSERT_TRUE(tree_.Link(by_id, "../../ttyUSB0"));
  ASSERT_TRUE(tree_.Link("ports/COM5", tree_.At(by_id)));
  const std::string unplugged = "/nonexistent/by-id/usb-Silicon_Labs_CP2102_0001-if00-port0";
  ASSERT_TRUE(tree_.Link("ports/COM6", unplugged));
  PortNaming naming(tree_.At("dev"), tree_.At("ports"));

  EXPECT_EQ(Line(naming, 5),
            "COM5 — " + tree_.At("dev/ttyUSB0") + " (FTDI FT232R USB UART, A10K1234)");
  // Unplugged: the link still tells what it leads to.
  EXPECT_EQ(Line(naming, 6), "COM6 — " + unplugged + " (Silicon Labs CP2102, 0001)");
}

TEST_F(PortDescriptionTest, WithoutSysfsTheByIdLinkNamesTheDevice) {
  ASSERT_TRUE(tree_.Touch("dev/ttyACM0"));
  ASSERT_TRUE(
      tree_.Link("dev/serial/by-id/usb-Arduino_Uno_75833353035351F0E0B1-if00", "../../ttyACM0"));
  PortNaming naming(tree_.At("dev"), "");
  EXPECT_EQ(Line(naming, 34),
            "COM34 — " + tree_.At("dev/ttyACM0") + " (Arduino Uno, 75833353035351F0E0B1)");
  EXPECT_EQ(DescriptionFromByIdName("usb-1a86_USB2.0-Serial-if00-port0"), "1a86 USB2.0-Serial");
  EXPECT_EQ(DescriptionFromByIdName("pci-0000:00:16.3"), "");
}

}  // namespace
}  // namespace qmx
