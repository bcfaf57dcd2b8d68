// The instruments plugged straight into the link: a SerialPort whose other
// end is a Bus, on the link's virtual clock.  A request written at virtual
// time t reaches the instruments when its last byte is through; the answer
// arrives byte by byte at the line's pace; a read waits (in virtual time,
// by advancing the clock) exactly as the read time-outs say.  Handler tests
// run whole operator sequences this way in milliseconds.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "sim/bus.h"

namespace qmx::sim {

class InProcessPort final : public SerialPort {
 public:
  InProcessPort(Bus& bus, VirtualClock& clock, const LineConfig& config);
  ~InProcessPort() override;
  InProcessPort(const InProcessPort&) = delete;
  InProcessPort& operator=(const InProcessPort&) = delete;

  bool Configure(const LineConfig& config) override;
  void SetTimeouts(const ReadTimeouts& timeouts) override { timeouts_ = timeouts; }
  void Purge() override;
  void SetBufferSizes(size_t, size_t) override {}
  uint32_t ClearErrors() override;
  size_t Write(const uint8_t* data, size_t size) override;
  // Honours the time-outs: the interval runs only after the first byte (a
  // gap equal to the interval is still allowed), the total from the start
  // of the read.  With no time-out at all it returns what has arrived or
  // is on its way, since nothing else could ever come.
  size_t Read(uint8_t* data, size_t size, const EventPump* pump) override;
  void SetRts(bool on) override { rts_ = on; }
  void SetDtr(bool on) override { dtr_ = on; }
  // The provider's Detach pulls the device out from under an open port:
  // from then on nothing passes, as on a converter that was unplugged.
  bool Gone() override { return gone_ != nullptr && *gone_; }

  const LineConfig& config() const { return config_; }
  const ReadTimeouts& timeouts() const { return timeouts_; }
  bool rts() const { return rts_; }
  bool dtr() const { return dtr_; }
  // Released when the port is destroyed (the provider's exclusive use).
  void SetReleaseFlag(std::shared_ptr<bool> in_use) { in_use_ = std::move(in_use); }
  // Set by the provider when the device is taken away.
  void SetGoneFlag(std::shared_ptr<bool> gone) { gone_ = std::move(gone); }

 private:
  // The line's own time, finer than the clock's milliseconds; never behind
  // the clock.
  int64_t NowUs();
  void WaitUntilUs(int64_t target_us, const EventPump* pump);
  void Take(std::vector<TimedByte> bytes);

  Bus& bus_;
  VirtualClock& clock_;
  LineConfig config_;
  ReadTimeouts timeouts_;
  std::deque<TimedByte> incoming_;
  int64_t line_us_ = 0;
  int64_t transmit_free_us_ = 0;
  uint32_t errors_ = 0;
  bool rts_ = false;
  bool dtr_ = false;
  std::shared_ptr<bool> in_use_;
  std::shared_ptr<bool> gone_;
};

// Serves COM numbers whose devices are buses of virtual instruments.
class InProcessPortProvider final : public PortProvider {
 public:
  explicit InProcessPortProvider(VirtualClock& clock) : clock_(clock) {}

  // COM `number` leads to `bus` from now on.
  void Attach(uint16_t number, Bus& bus);
  // The device of COM `number` goes away; a port open on it is gone (see
  // InProcessPort::Gone) and stays so even when the number is attached again.
  void Detach(uint16_t number);

  // Exclusive, like a real device: a second open of a port in use fails.
  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override;
  std::string DevicePath(uint16_t number) override;
  // COM `number` stands for a raw TCP gateway, whose line the program may
  // not change (the in-process line itself still follows every open).
  void FixLine(uint16_t number) { fixed_lines_.push_back(number); }
  bool LineFixed(uint16_t number) override {
    return std::find(fixed_lines_.begin(), fixed_lines_.end(), number) != fixed_lines_.end();
  }

  // The port most recently opened (for inspecting its settings), or null
  // once it has been closed.
  InProcessPort* last_opened() const { return in_use_last_ && *in_use_last_ ? last_ : nullptr; }
  unsigned open_count() const { return open_count_; }

 private:
  struct Entry {
    Bus* bus = nullptr;
    std::shared_ptr<bool> in_use;
    std::shared_ptr<bool> gone;  // of the port open on it
  };
  VirtualClock& clock_;
  std::map<uint16_t, Entry> ports_;
  InProcessPort* last_ = nullptr;
  std::shared_ptr<bool> in_use_last_;
  unsigned open_count_ = 0;
  std::vector<uint16_t> fixed_lines_;
};

}  // namespace qmx::sim
