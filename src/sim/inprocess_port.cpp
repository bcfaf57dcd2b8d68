#include "sim/inprocess_port.h"

#include <algorithm>
#include <limits>

namespace qmx::sim {
namespace {

constexpr int64_t kPumpSliceUs = 10'000;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

}  // namespace

InProcessPort::InProcessPort(Bus& bus, VirtualClock& clock, const LineConfig& config)
    : bus_(bus), clock_(clock), config_(config) {
  line_us_ = clock_.NowMs() * 1000;
}

InProcessPort::~InProcessPort() {
  if (in_use_) *in_use_ = false;
}

bool InProcessPort::Configure(const LineConfig& config) {
  config_ = config;
  return true;
}

int64_t InProcessPort::NowUs() {
  line_us_ = std::max(line_us_, clock_.NowMs() * 1000);
  return line_us_;
}

void InProcessPort::WaitUntilUs(int64_t target_us, const EventPump* pump) {
  while (NowUs() < target_us) {
    if (pump != nullptr && *pump) (*pump)();
    const int64_t now = NowUs();
    if (now >= target_us) break;
    const int64_t step_end = std::min(target_us, now + kPumpSliceUs);
    // The clock counts whole milliseconds: it shows the moment rounded up.
    const int64_t clock_target_ms = (step_end + 999) / 1000;
    clock_.Advance(clock_target_ms - clock_.NowMs());
    line_us_ = std::max(line_us_, step_end);
  }
}

void InProcessPort::Take(std::vector<TimedByte> bytes) {
  for (TimedByte& b : bytes) incoming_.push_back(b);
  std::stable_sort(incoming_.begin(), incoming_.end(),
                   [](const TimedByte& a, const TimedByte& b) { return a.at_us < b.at_us; });
}

void InProcessPort::Purge() {
  // Only what has already arrived is in the driver's buffer; an answer
  // still on the wire keeps coming.
  const int64_t now = NowUs();
  while (!incoming_.empty() && incoming_.front().at_us <= now) incoming_.pop_front();
}

uint32_t InProcessPort::ClearErrors() {
  const uint32_t errors = errors_;
  errors_ = 0;
  return errors;
}

size_t InProcessPort::Write(const uint8_t* data, size_t size) {
  if (size == 0 || Gone()) return 0;
  const int64_t char_us = CharTimeUs(config_.baud);
  // The driver sends after whatever it is still sending.
  const int64_t start = std::max(NowUs(), transmit_free_us_);
  const int64_t first_at = start + char_us;
  transmit_free_us_ = start + char_us * static_cast<int64_t>(size);
  Take(bus_.Receive(data, size, config_, first_at, char_us));
  // Nothing follows in this write: a frame that only silence can end is
  // over 3.5 characters after its last byte.
  const int64_t deadline = bus_.SilenceDeadlineUs();
  if (deadline >= 0) Take(bus_.Quiet(deadline));
  return size;
}

size_t InProcessPort::Read(uint8_t* data, size_t size, const EventPump* pump) {
  // A device that has gone answers nothing, and at once, as a hung-up tty does.
  if (size == 0 || Gone()) return 0;
  const int64_t start = NowUs();
  const bool has_total = timeouts_.multiplier_ms != 0 || timeouts_.constant_ms != 0;
  const int64_t total_deadline =
      has_total ? start + (int64_t{timeouts_.multiplier_ms} * static_cast<int64_t>(size) +
                           timeouts_.constant_ms) *
                              1000
                : kNever;
  const int64_t interval_us = int64_t{timeouts_.interval_ms} * 1000;
  size_t got = 0;
  int64_t last_us = 0;
  while (got < size) {
    int64_t deadline = total_deadline;
    if (got > 0 && interval_us > 0) deadline = std::min(deadline, last_us + interval_us);
    if (!incoming_.empty() && incoming_.front().at_us <= deadline) {
      const TimedByte b = incoming_.front();
      WaitUntilUs(b.at_us, pump);
      // Pulled out while the answer came in: the rest never arrives.
      if (Gone()) break;
      incoming_.pop_front();
      data[got++] = b.value;
      if (b.line_error) errors_ |= kLineErrorFraming;
      last_us = std::max(b.at_us, NowUs());
      continue;
    }
    if (deadline != kNever) WaitUntilUs(deadline, pump);
    break;
  }
  return got;
}

void InProcessPortProvider::Attach(uint16_t number, Bus& bus) {
  Entry& entry = ports_[number];
  entry.bus = &bus;
  if (!entry.in_use) entry.in_use = std::make_shared<bool>(false);
}

void InProcessPortProvider::Detach(uint16_t number) {
  auto it = ports_.find(number);
  if (it == ports_.end()) return;
  if (it->second.gone) *it->second.gone = true;
  ports_.erase(it);
}

std::unique_ptr<SerialPort> InProcessPortProvider::Open(uint16_t number, const LineConfig& config,
                                                        std::string* error) {
  auto it = ports_.find(number);
  if (it == ports_.end()) {
    if (error != nullptr) *error = "COM" + std::to_string(number) + ": no such port";
    return nullptr;
  }
  if (*it->second.in_use) {
    if (error != nullptr) *error = "COM" + std::to_string(number) + ": port in use";
    return nullptr;
  }
  auto port = std::make_unique<InProcessPort>(*it->second.bus, clock_, config);
  *it->second.in_use = true;
  port->SetReleaseFlag(it->second.in_use);
  it->second.gone = std::make_shared<bool>(false);
  port->SetGoneFlag(it->second.gone);
  last_ = port.get();
  in_use_last_ = it->second.in_use;
  ++open_count_;
  return port;
}

std::string InProcessPortProvider::DevicePath(uint16_t number) {
  return ports_.count(number) != 0 ? "inprocess:COM" + std::to_string(number) : "";
}

}  // namespace qmx::sim
