// Feeds arbitrary answers, of arbitrary lengths, into the master's status and
// value-decoding path and into the exchange log.  Whatever the line delivers
// must never crash, overrun a buffer or hang the program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "link/clock.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "link/serial_port.h"

namespace {

// Each attempt's read hands out the next slice of the fuzz input.
class FuzzPort final : public qmx::SerialPort {
 public:
  FuzzPort(const uint8_t* data, size_t size, uint32_t errors)
      : data_(data), size_(size), errors_(errors) {}
  bool Configure(const qmx::LineConfig&) override { return true; }
  void SetTimeouts(const qmx::ReadTimeouts&) override {}
  void Purge() override {}
  void SetBufferSizes(size_t, size_t) override {}
  uint32_t ClearErrors() override { return errors_; }
  size_t Write(const uint8_t*, size_t size) override { return size; }
  size_t Read(uint8_t* out, size_t size, const qmx::EventPump*) override {
    if (pos_ >= size_) return 0;
    // The first byte of each slice says how much of the request to fill.
    size_t want = data_[pos_++] % (size + 1);
    size_t n = want < size_ - pos_ ? want : size_ - pos_;
    for (size_t i = 0; i < n; ++i) out[i] = data_[pos_ + i];
    pos_ += n;
    return n;
  }
  void SetRts(bool) override {}
  void SetDtr(bool) override {}

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t errors_;
};

class NoPorts final : public qmx::PortProvider {
 public:
  std::unique_ptr<qmx::SerialPort> Open(uint16_t, const qmx::LineConfig&, std::string*) override {
    return nullptr;
  }
  std::string DevicePath(uint16_t) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t mode = data[0];
  const uint8_t count = data[1];
  const uint8_t address_choice = data[2];
  const uint8_t tries = data[3];
  data += 4;
  size -= 4;

  NoPorts ports;
  qmx::VirtualClock clock;
  qmx::Link link(ports, clock);
  link.settings().use_log_file = (mode & 0x80) ? 1 : 0;
  link.settings().log_file_name = "/dev/null";
  link.settings().retry_limit = static_cast<uint16_t>(tries % 4);
  link.settings().retry_mask = static_cast<uint16_t>(0x7F & (tries >> 2 | 0x40));
  link.line().parity_code = mode & 3;
  link.line().network_address = address_choice % 3 == 0 ? 0 : address_choice % 3 == 1 ? 1 : 255;
  link.AttachPortForTesting(std::make_unique<FuzzPort>(data, size, (mode >> 2) & 0x1E));

  // Sentinel words around the value array catch any write past its end.
  std::vector<uint16_t> values(256 + 2, 0xA5A5);
  uint16_t exception = 0;
  uint16_t status;
  if (mode & 0x40) {
    status = link.WriteMultipleRegisters(300, count, values.data() + 1, &exception, "fuzz");
  } else {
    status = link.ReadHoldingRegisters(300, count, values.data() + 1, &exception);
  }
  const unsigned limit = (mode & 0x40) ? qmx::kMaxWriteCount : qmx::kMaxReadCount;
  if (count == 0 || count > limit) {
    if (status != qmx::kStatusRefusedBadCount) abort();
  }
  if (values[0] != 0xA5A5) abort();
  if (!(mode & 0x40) && count <= limit && values[1 + count] != 0xA5A5) abort();
  if ((status & qmx::kStatusException) == 0 && exception != 0) abort();
  return 0;
}
