// A scripted serial port on a virtual clock.  Every write may release one
// scripted answer; reads take its bytes under the same read time-out rules as
// the Windows driver the instrument's timing was built around, and move the
// virtual clock exactly as far as such a read would take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"

namespace qmx::test {

// What the far end sends after one request.
struct FakeReply {
  std::vector<uint8_t> bytes;
  int64_t delay_ms = 0;  // from the write of the request to the first byte
  int64_t byte_ms = 0;   // between the arrivals of consecutive bytes
  // Extra silence before byte `first` (index into `bytes`).
  std::vector<std::pair<size_t, int64_t>> gaps;
  // Receive errors the driver reports once the first byte has been read
  // (or purged); an empty reply reports them from its delay on.
  uint32_t line_errors = 0;

  FakeReply& After(int64_t ms) {
    delay_ms = ms;
    return *this;
  }
  FakeReply& Paced(int64_t ms) {
    byte_ms = ms;
    return *this;
  }
  FakeReply& Gap(size_t before_byte, int64_t ms) {
    gaps.emplace_back(before_byte, ms);
    return *this;
  }
  FakeReply& Errors(uint32_t mask) {
    line_errors = mask;
    return *this;
  }
};

// A reply of these bytes with no delay.
FakeReply Reply(std::vector<uint8_t> bytes);
// Appends the Modbus CRC (low byte first) to `frame`.
std::vector<uint8_t> WithCrc(std::vector<uint8_t> frame);
// A reply that never comes.
inline FakeReply Silence() {
  return FakeReply{};
}

class FakeSerialPort final : public SerialPort {
 public:
  struct WriteRecord {
    int64_t at_ms;
    std::vector<uint8_t> bytes;
  };
  struct ReadRecord {
    size_t requested;
    int64_t start_ms;
    int64_t end_ms;
    size_t received;
    bool pumped;  // an event pump was handed to the read
  };

  explicit FakeSerialPort(VirtualClock& clock) : clock_(clock) {}

  // Queues the reply to the next request not yet answered.  A request with
  // nothing queued gets no answer.
  void Script(FakeReply reply) { script_.push_back(std::move(reply)); }
  // Line errors that show at the next error query, whatever comes in.
  void InjectLineErrors(uint32_t mask) { errors_.push_back({clock_.NowMs(), mask}); }

  const std::vector<WriteRecord>& writes() const { return writes_; }
  const std::vector<ReadRecord>& reads() const { return reads_; }
  const std::vector<ReadTimeouts>& timeouts() const { return timeouts_; }
  // Every call in order: "configure", "timeouts", "purge", "buffers",
  // "errors", "write", "read", "rts on"/"rts off", "dtr on"/"dtr off".
  const std::vector<std::string>& calls() const { return calls_; }
  bool in_read() const { return in_read_; }
  size_t pending_bytes() const { return pending_.size(); }

  bool Configure(const LineConfig& config) override;
  void SetTimeouts(const ReadTimeouts& timeouts) override;
  void Purge() override;
  void SetBufferSizes(size_t in, size_t out) override;
  uint32_t ClearErrors() override;
  size_t Write(const uint8_t* data, size_t size) override;
  size_t Read(uint8_t* data, size_t size, const EventPump* pump) override;
  void SetRts(bool on) override;
  void SetDtr(bool on) override;

  const LineConfig& config() const { return config_; }

 private:
  struct Arrival {
    int64_t at_ms;
    uint8_t byte;
    uint32_t errors;  // receive errors that came with this byte
  };
  struct PendingError {
    int64_t at_ms;
    uint32_t mask;
  };

  // Moves the clock to `end_ms` in slices of at most 10 ms, pumping between
  // them as a waiting read lets the window breathe.
  void WaitUntil(int64_t end_ms, const EventPump* pump);
  // Takes the oldest byte out of the receive buffer.
  uint8_t TakeByte();

  VirtualClock& clock_;
  LineConfig config_;
  ReadTimeouts current_;
  std::deque<FakeReply> script_;
  std::deque<Arrival> pending_;
  std::vector<PendingError> errors_;
  std::vector<WriteRecord> writes_;
  std::vector<ReadRecord> reads_;
  std::vector<ReadTimeouts> timeouts_;
  std::vector<std::string> calls_;
  bool in_read_ = false;
};

// Hands out no port at all: the link under test gets its port attached.
class NoPortProvider final : public PortProvider {
 public:
  std::unique_ptr<SerialPort> Open(uint16_t, const LineConfig&, std::string* error) override {
    if (error != nullptr) *error = "no such port";
    return nullptr;
  }
  std::string DevicePath(uint16_t) override { return ""; }
};

}  // namespace qmx::test
