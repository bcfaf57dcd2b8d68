// The port layer of the link: finding the ports, opening the chosen one with
// the line parameters, and the start-up modem-line operation.
#include <array>

#include "link/link.h"
#include "link/port_naming.h"

namespace qmx {
namespace {

constexpr std::array<uint32_t, 11> kBaudRates = {110,  300,   600,   1200,  2400,  4800,
                                                 9600, 19200, 38400, 57600, 115200};
// Read interval and per-byte multiplier an open sets: about two character
// times at the slow rates, never below 24 ms at the fast ones.
constexpr std::array<int, 11> kOpenTimeouts = {1536, 768, 384, 192, 96, 48, 24, 24, 24, 24, 24};

constexpr uint32_t kDefaultBaud = 19200;
constexpr size_t kDriverBufferSize = 1024;

}  // namespace

uint32_t BaudRateOfCode(uint16_t baud_code) {
  return baud_code < kBaudRates.size() ? kBaudRates[baud_code] : kDefaultBaud;
}

int OpenTimeoutOfCode(uint16_t baud_code) {
  return baud_code < kOpenTimeouts.size() ? kOpenTimeouts[baud_code] : -1;
}

uint16_t Link::EnumeratePorts() {
  found_ports_.clear();
  // Real devices are only looked at: a trial open would set the line and
  // drop the modem lines of a port some program uses without locking it.
  // Other providers have nothing to disturb and are asked by a trial open.
  // Either way a port some other program holds, and our own open port, are
  // not free.
  auto* inspector = dynamic_cast<PortInspector*>(&ports_);
  LineConfig trial;
  for (uint16_t number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
    const bool free = inspector != nullptr ? inspector->Probe(number) == PortFault::kNone
                                           : ports_.Open(number, trial, nullptr) != nullptr;
    if (free) found_ports_.push_back(number);
  }
  return static_cast<uint16_t>(found_ports_.size());
}

const PortFailure* Link::port_failure() const {
  return port_ == nullptr && port_failure_.fault != PortFault::kNone ? &port_failure_ : nullptr;
}

OpenResult Link::OpenPort(uint16_t port, uint16_t baud_code, uint16_t byte_size,
                          uint16_t parity_code, uint16_t /*stop_bits*/, uint16_t timeout,
                          uint16_t report_failure) {
  OpenResult result;
  result.report_failure = report_failure == 1;
  // A handler that runs inside the wait of a transaction must not pull the
  // port from under the read in progress.
  if (in_transaction_) {
    result.error = PortName(port) + ": an exchange with the instrument is in progress";
    return result;
  }
  // One handle in the program: the old one goes first, whatever follows.
  DropPort();
  // From now on the link keeps this port open, failed or not (see RestorePort).
  port_wanted_ = true;

  LineConfig config;
  config.baud = BaudRateOfCode(baud_code);
  config.parity = parity_code == 1   ? Parity::kOdd
                  : parity_code == 2 ? Parity::kEven
                                     : Parity::kNone;
  // The instrument frames without parity with a second stop bit, so that a
  // character is eleven bits long either way.
  config.stop_bits = config.parity == Parity::kNone ? 2 : 1;
  config.byte_size = byte_size >= 5 && byte_size <= 8 ? static_cast<uint8_t>(byte_size) : 8;

  std::string error;
  port_ = ports_.Open(port, config, &error);
  if (port_ == nullptr) {
    result.error = error.empty() ? PortName(port) + ": no such port" : error;
    // Kept for the reports of the exchanges that will now find no port.  A
    // number outside COM1..COM255 names no port whatever the provider says.
    const auto* inspector = dynamic_cast<const PortInspector*>(&ports_);
    port_failure_.fault = port < kFirstPortNumber || port > kLastPortNumber ? PortFault::kMissing
                          : inspector != nullptr ? inspector->last_open_fault()
                                                 : PortFault::kNone;
    port_failure_.number = port;
    port_failure_.device = ports_.DevicePath(port);
    port_failure_.cause = inspector != nullptr ? inspector->last_open_cause() : std::string();
    return result;
  }
  port_failure_ = PortFailure{};
  open_number_ = port;
  port_->SetWaiter(waiter_);

  // An unknown baud code keeps the interval and multiplier of the last open.
  const int open_timeout = OpenTimeoutOfCode(baud_code);
  if (open_timeout >= 0) {
    open_interval_ms_ = static_cast<uint32_t>(open_timeout);
    open_multiplier_ms_ = static_cast<uint32_t>(open_timeout);
  }
  port_->SetTimeouts(ReadTimeouts{open_interval_ms_, open_multiplier_ms_, timeout});
  port_->Purge();
  port_->SetBufferSizes(kDriverBufferSize, kDriverBufferSize);
  result.ok = true;
  return result;
}

OpenResult Link::OpenCurrentPort(uint16_t report_failure) {
  const LineParameters& line = settings_.line;
  return OpenPort(line.port_number, line.baud_code, 8, line.parity_code, line.stop_bits,
                  line.timeout, report_failure);
}

void Link::ClosePort() {
  // Same rule as the open: never while a transaction is using the port.
  if (in_transaction_) return;
  DropPort();
  port_wanted_ = false;
}

PortFault Link::GoneFault(uint16_t number) {
  // A provider of real devices can tell whether the device is missing or
  // already back (then a busy one may even have been taken by another
  // program).  Otherwise the port said itself that its device has gone.
  auto* inspector = dynamic_cast<PortInspector*>(&ports_);
  return inspector != nullptr ? inspector->Probe(number) : PortFault::kMissing;
}

void Link::RestorePort() {
  if (!port_wanted_ || in_transaction_) return;
  const bool gone = port_ != nullptr && port_->Gone();
  if (port_ != nullptr && !gone) return;
  // Quietly: the exchange that follows reports what the operator must know.
  // The line may have changed since the port was lost; the current one is
  // what the exchange is meant for.
  const bool was_missing = port_failure_.fault == PortFault::kMissing;
  OpenCurrentPort(0);
  // A provider that cannot tell why an open failed leaves the cause as it
  // was: a device that went away, or was missing, is missing still.
  if (port_ == nullptr && (gone || was_missing) && port_failure_.fault == PortFault::kNone) {
    port_failure_.fault = PortFault::kMissing;
  }
}

void Link::ReleaseGonePort() {
  if (port_ == nullptr || !port_->Gone()) return;
  const std::string cause = port_->GoneCause();
  DropPort();
  // A device that is back already is opened by the next transaction; until
  // then the port is closed for no reason the operator must act on.  A
  // network port says itself why its connection is not there.
  port_failure_.fault = cause.empty() ? GoneFault(open_number_) : PortFault::kNoConnection;
  port_failure_.cause = cause;
  port_failure_.number = open_number_;
  port_failure_.device = ports_.DevicePath(open_number_);
}

void Link::ClearRtsSetDtr() {
  if (port_ == nullptr) return;
  port_->SetRts(false);
  port_->SetDtr(true);
}

}  // namespace qmx
