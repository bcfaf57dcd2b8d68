// The serial port seam: one open device with a configured line.  The POSIX
// backend (posix_serial_port.*) drives a real tty; tests plug in a scripted
// port or the virtual instrument's in-process port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"

namespace qmx {

enum class Parity : uint8_t { kNone = 0, kOdd = 1, kEven = 2 };

struct LineConfig {
  uint32_t baud = 19200;
  Parity parity = Parity::kNone;
  uint8_t byte_size = 8;  // 5..8
  uint8_t stop_bits = 2;  // 1 or 2
};

// Read time-outs with the semantics of the Windows serial driver that the
// instrument's timing was designed around:
//  - interval: largest gap allowed between two received bytes; it only starts
//    running after the first byte has arrived;
//  - multiplier * bytes requested + constant: total time for the whole read,
//    counted from the start of the read.
// A read returns when all requested bytes are in or one of the limits hits.
// Zero disables a limit (all three zero: wait for the full count).
struct ReadTimeouts {
  uint32_t interval_ms = 0;
  uint32_t multiplier_ms = 0;
  uint32_t constant_ms = 0;
};

// Line-error mask bits, as the driver reports them.
enum LineError : uint32_t {
  kLineErrorOverrun = 0x0002,
  kLineErrorParity = 0x0004,
  kLineErrorFraming = 0x0008,
  kLineErrorBreak = 0x0010,
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual bool Configure(const LineConfig& config) = 0;
  virtual void SetTimeouts(const ReadTimeouts& timeouts) = 0;
  // Discards whatever waits in the transmit and receive buffers.
  virtual void Purge() = 0;
  // Driver buffer sizes; accepted for compatibility, may have no effect.
  virtual void SetBufferSizes(size_t in, size_t out) = 0;
  // Returns the line errors seen since the last call and clears them.
  virtual uint32_t ClearErrors() = 0;
  // Writes the whole buffer; returns the count written (0 on a dead port).
  virtual size_t Write(const uint8_t* data, size_t size) = 0;
  // Reads up to `size` bytes under the current time-outs; `pump`, when
  // given, is called between waiting slices of at most 10 ms (a port with a
  // waiter waits through it instead and calls no pump).
  virtual size_t Read(uint8_t* data, size_t size, const EventPump* pump) = 0;
  // From now on the port waits through `waiter` (null: in slices of at most
  // 10 ms with the pump between them).  A port without a descriptor of its
  // own to wait on keeps the slices.
  virtual void SetWaiter(Waiter* /*waiter*/) {}
  virtual void SetRts(bool on) = 0;
  virtual void SetDtr(bool on) = 0;
  // The device has gone from under the open port (a USB converter pulled
  // out, the far end of a pseudo-terminal closed, a connection dropped):
  // nothing passes through this port any more, only a new open of the
  // device can bring the line back.
  virtual bool Gone() { return false; }
  // Why a port that is gone went, when the port itself can say (a network
  // port: "отказано", "нет ответа", "разорвано"); "" leaves it to the
  // provider.
  virtual std::string GoneCause() const { return std::string(); }
};

// What the operator is told when a change of the line is asked of a port
// whose line only its gateway sets (PortProvider::LineFixed).
inline constexpr char kLineFixedText[] =
    "Скорость и паритет линии этого порта задаёт сетевой шлюз (tcp://): программа не может их "
    "изменить. Измените настройки линии шлюза вручную.";

// Finds and opens ports by their COM number (1..255).
class PortProvider {
 public:
  virtual ~PortProvider() = default;
  // Opens port `number` exclusively, raw, with `config` applied.  On failure
  // returns null and, when `error` is given, a human-readable cause.
  virtual std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                           std::string* error) = 0;
  // The device behind a COM number, for tooltips and messages ("" if none).
  virtual std::string DevicePath(uint16_t number) = 0;
  // The line settings of port `number` are not ours to change (a raw TCP
  // gateway keeps its own); a search or a write of new exchange settings
  // must refuse rather than follow blindly.
  virtual bool LineFixed(uint16_t /*number*/) { return false; }
};

}  // namespace qmx
