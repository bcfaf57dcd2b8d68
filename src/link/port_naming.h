// How the operator's COM numbers map to device files.  The instrument's
// users know their port as "COM3" from the Windows tool; on this system the
// number is looked up either in a directory of COMn links (a Wine prefix's
// dosdevices folder, or one made by hand) or by Wine's own numbering of the
// serial devices under /dev.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "link/port_description.h"

namespace qmx {

constexpr uint16_t kFirstPortNumber = 1;
constexpr uint16_t kLastPortNumber = 255;

// Environment variable naming the directory of COMn links.
constexpr const char kPortsDirVariable[] = "QMX41_PORTS_DIR";

// "COM" followed by the number in decimal.
std::string PortName(uint16_t number);

class PortNaming {
 public:
  PortNaming() = default;
  PortNaming(std::string dev_root, std::string ports_dir)
      : dev_root_(std::move(dev_root)), ports_dir_(std::move(ports_dir)) {}

  // With a ports directory, COMn is exactly its entry "COMn" (or "comn") and
  // nothing else is tried; an empty text returns to Wine's numbering.
  void set_ports_dir(std::string dir) { ports_dir_ = std::move(dir); }
  const std::string& ports_dir() const { return ports_dir_; }
  // Where the ttyS/ttyUSB/ttyACM nodes live ("/dev" on a real system).
  void set_dev_root(std::string root) { dev_root_ = std::move(root); }
  const std::string& dev_root() const { return dev_root_; }

  // The file to open for COM `number`, "" when the number names nothing.
  // Only looks at directory entries, so asking for all 255 numbers is cheap.
  std::string Resolve(uint16_t number) const;
  // The device the number stands for as the operator would recognise it: the
  // target of a COMn link, else the node itself ("" when none).
  std::string DevicePath(uint16_t number) const;

 private:
  std::string ResolveInPortsDir(uint16_t number) const;
  std::string ResolveByWineNumbering(uint16_t number) const;

  std::string dev_root_ = "/dev";
  std::string ports_dir_;
};

// The ports directory given by the environment ("" when unset).
std::string PortsDirFromEnvironment();

// Why a port cannot be used, in the terms the operator can act on.
enum class PortFault : uint8_t {
  kNone,
  kBusy,          // another program holds it
  kNoPermission,  // the user may not open the device
  kMissing,       // no such port, or its device has gone
  kNoConnection,  // a network port whose server cannot be reached
  kOther,         // anything else (not a serial device, ...)
};

// The port the program could not open, and why.
struct PortFailure {
  PortFault fault = PortFault::kNone;
  uint16_t number = 0;
  std::string device;  // the device as the operator would recognise it
  std::string cause;  // kNoConnection: "отказано", "нет ответа", "разорвано"
};

// What a provider of real devices can tell beyond opening a port.  Other
// providers (the virtual instrument's, the tests') need not implement it.
class PortInspector {
 public:
  virtual ~PortInspector() = default;
  // Whether COM `number` is there and free, found without changing anything
  // on the device: no line settings, no modem lines, no driver flags, so that
  // a program using the port is not disturbed by our listing.
  virtual PortFault Probe(uint16_t number) = 0;
  // Why the last open failed (kNone after a successful one).
  virtual PortFault last_open_fault() const = 0;
  // With kNoConnection, the operator's word for why ("" otherwise).
  virtual std::string last_open_cause() const { return std::string(); }
  // The device behind COM `number` as the operator knows it (node and the
  // converter's own description); an empty path when there is none.
  virtual PortDevice Describe(uint16_t number) = 0;
};

}  // namespace qmx
