// What the operator knows a serial device by: its node under /dev and, for a
// USB converter, the maker, product and serial number it reports.  The COM
// number alone means nothing on this system; "/dev/ttyUSB0 (FTDI FT232R USB
// UART, A10K1234)" is what is printed on the cable and what `ls /dev` shows.
#pragma once

#include <cstdint>
#include <string>

namespace qmx {

// Where the description is looked up; tests point them into a scratch tree.
struct DeviceRoots {
  std::string by_id = "/dev/serial/by-id";
  std::string tty_class = "/sys/class/tty";
};

struct PortDevice {
  std::string path;         // the device node, links followed ("" = no device)
  std::string description;  // "FTDI FT232R USB UART, A10K1234" ("" = unknown)
};

// The device `path` leads to (a COMn entry, a by-id link or the node itself)
// and its description: from sysfs (the USB device above the tty), else from
// the name of its by-id link.  A link whose device has gone (a converter
// pulled out) still names what it was.
PortDevice DescribeDevice(const std::string& path, const DeviceRoots& roots = {});

// The description udev put into a by-id link name,
// "usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0" -> "FTDI FT232R USB UART,
// A10K1234"; "" for a name that is not one.
std::string DescriptionFromByIdName(const std::string& name);

// "/dev/ttyUSB0 (FTDI FT232R USB UART, A10K1234)", "/dev/ttyUSB0" without a
// description, "" without a device.
std::string DeviceText(const PortDevice& device);

// Ends the line of a port that another program holds.
inline constexpr char kBusyPortMark[] = " — занят";

// The operator's line for a port: "COM33 — /dev/ttyUSB0 (FTDI FT232R USB
// UART, A10K1234)", "COM33" without a device; a port that another program
// holds ends in " — занят".
std::string PortLineText(uint16_t number, const PortDevice& device, bool busy);

}  // namespace qmx
