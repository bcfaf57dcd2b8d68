// The device link: one serial port, the program-wide line parameters and
// settings, and the two Modbus RTU transactions the program makes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/exchange_log.h"
#include "link/exchange_status.h"
#include "link/port_naming.h"
#include "link/serial_port.h"
#include "storage/link_settings.h"

namespace qmx {

// Baud rate of a baud code 0..10; any other code is 19200.
uint32_t BaudRateOfCode(uint16_t baud_code);
// Read interval and multiplier the open sets for codes 0..10 (-1 otherwise).
int OpenTimeoutOfCode(uint16_t baud_code);

// An instrument that fails to answer gets this long to recover before the
// request is sent again.
inline constexpr int64_t kRetryPauseMs = 1000;
// The default total time of a read ("TimeOut"); it also limits a read whose
// configured time-outs set no limit at all.
inline constexpr uint32_t kDefaultReadTotalMs = 2000;

// Read time-outs of one attempt: the pair configured for the baud code plus
// the program's extra gap, and the total constant plus the same gap.
// "TimeOut" = 0 with a zero multiplier would leave the read without a total
// limit (and, with the interval at 0 as well, even an answering instrument
// would keep the program waiting, since a read asks for two bytes more than
// the answer): such a read is limited by the default total, and `limited`
// says so.
ReadTimeouts AttemptReadTimeouts(const LinkSettings& settings, uint16_t baud_code,
                                 bool* limited = nullptr);

// The longest a read of `count` registers at `baud_code` can keep the
// program waiting on a silent line: every attempt the retry settings allow
// runs to its total time-out (the per-byte multiplier over the whole answer
// plus the constant, as AttemptReadTimeouts gives them), with the recovery
// pause between attempts.  Milliseconds.
int64_t ReadWaitLimitMs(const LinkSettings& settings, uint16_t baud_code, unsigned count);

struct OpenResult {
  bool ok = false;
  // The caller asked for a box on failure (operator actions, not start-up).
  bool report_failure = false;
  std::string error;  // cause, for diagnostics ("" on success)
};

class Link {
 public:
  Link(PortProvider& ports, Clock& clock);

  LinkSettings& settings() { return settings_; }
  const LinkSettings& settings() const { return settings_; }
  LineParameters& line() { return settings_.line; }
  Clock& clock() { return clock_; }
  ExchangeLog& log() { return log_; }
  // Hands every request, answer and outcome to `observer` as well (null:
  // nobody is watching, and the transactions do nothing for it).
  void SetExchangeObserver(ExchangeObserver* observer) { log_.SetObserver(observer); }

  // Called at every point where the window may process pending events.
  void SetEventPump(EventPump pump) { pump_ = std::move(pump); }
  void PumpEvents() {
    if (pump_) pump_();
  }
  // Waits through `waiter` (not owned; null: the pump's 10 ms slices): the
  // pauses, and the reads of every port the link opens from now on.
  void SetWaiter(Waiter* waiter) {
    if (waiter_ != nullptr && waiter_ != waiter) waiter_->Release();
    waiter_ = waiter;
    if (port_ != nullptr) port_->SetWaiter(waiter_);
  }

  // --- port layer ---------------------------------------------------------
  // Finds the free ports among COM1..COM255 in ascending order without
  // disturbing any of them; returns the count found.
  uint16_t EnumeratePorts();
  const std::vector<uint16_t>& found_ports() const { return found_ports_; }
  // Closes any open port, then opens `port` with the line built from the
  // arguments.  Stores the open interval/multiplier of the baud code.
  OpenResult OpenPort(uint16_t port, uint16_t baud_code, uint16_t byte_size, uint16_t parity_code,
                      uint16_t stop_bits, uint16_t timeout, uint16_t report_failure);
  // OpenPort with the current line parameters and byte size 8.
  OpenResult OpenCurrentPort(uint16_t report_failure);
  // Closes the port for good: no transaction opens it again until the next
  // OpenPort.
  void ClosePort();
  bool IsOpen() const { return port_ != nullptr; }
  // Why the port is not open, when the last open failed (or its device went
  // away) for a reason the operator can act on; null while the port is open
  // or the cause is unknown.
  const PortFailure* port_failure() const;
  // Once OpenPort has been asked for, the link means the port to be open
  // with the current line parameters until ClosePort.  A transaction that
  // finds it closed (its open failed, its device went away) first opens it
  // again, once and quietly: a converter plugged back in or an instrument
  // program started again serves the next exchange without the operator.
  bool port_wanted() const { return port_wanted_; }
  // The start-up modem-line operation: clear RTS, then set DTR.
  void ClearRtsSetDtr();
  PortProvider& ports() { return ports_; }
  // Puts an already open port in place of the current one, without the open
  // sequence; unit tests hand the link a scripted port this way (and the
  // link never opens a port of its own behind it).
  void AttachPortForTesting(std::unique_ptr<SerialPort> port) {
    DropPort();
    port_ = std::move(port);
    if (port_ != nullptr) port_->SetWaiter(waiter_);
  }

  // --- Modbus RTU master --------------------------------------------------
  uint16_t ReadHoldingRegisters(uint16_t start, uint8_t count, uint16_t* values,
                                uint16_t* exception);
  uint16_t WriteMultipleRegisters(uint16_t start, uint8_t count, const uint16_t* values,
                                  uint16_t* exception, std::string_view description);
  // A pause that keeps the window processing events.
  void WaitMs(int64_t ms) {
    if (waiter_ != nullptr) {
      if (ms > 0) waiter_->WaitFor(-1, 0, ms);
    } else {
      clock_.WaitMs(ms, pump_);
    }
  }
  // True while a transaction is on the line (including its retry pause).
  // A transaction asked for meanwhile (from a handler run by the event pump)
  // is refused with kStatusRefusedBusy, so two never share the line.
  bool InTransaction() const { return in_transaction_; }

 private:
  // The two transactions proper, on whatever port the link holds.
  uint16_t ReadTransaction(uint16_t start, uint8_t count, uint16_t* values, uint16_t* exception);
  uint16_t WriteTransaction(uint16_t start, uint8_t count, const uint16_t* values,
                            uint16_t* exception, std::string_view description);
  // Before a transaction: the wanted port, closed or gone, is opened again.
  void RestorePort();
  // After a transaction: a port whose device went away is let go, and the
  // reason is kept for the report of the failed exchange.
  void ReleaseGonePort();
  // The port failure of a device that went away from under the open port.
  PortFault GoneFault(uint16_t number);
  // Closes the port; the waiter first lets go of its descriptor.
  void DropPort() {
    if (port_ != nullptr && waiter_ != nullptr) waiter_->Release();
    port_.reset();
  }

  PortProvider& ports_;
  Clock& clock_;
  LinkSettings settings_;
  ExchangeLog log_;
  EventPump pump_;
  Waiter* waiter_ = nullptr;
  std::unique_ptr<SerialPort> port_;
  std::vector<uint16_t> found_ports_;
  PortFailure port_failure_;
  // Interval and multiplier set by the last open with a known baud code.
  uint32_t open_interval_ms_ = 0;
  uint32_t open_multiplier_ms_ = 0;
  bool in_transaction_ = false;
  bool port_wanted_ = false;
  // The number the open port was opened under.
  uint16_t open_number_ = 0;
};

}  // namespace qmx
