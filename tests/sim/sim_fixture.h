// A link talking to one virtual instrument through the in-process port, in
// virtual time.  One attempt per transaction unless a test asks for more,
// so a status is that of a single exchange.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"
#include "sim/register_map.h"

namespace qmx::sim::test {

class SimTest : public ::testing::Test {
 protected:
  SimTest() {
    ports_.Attach(1, bus_);
    link_.settings().use_log_file = 0;
    link_.settings().retry_limit = 1;
    Reattach(LineConfig{});
  }

  // Puts a fresh port with `config` under the link (the link's own line
  // parameters are set to match).
  void Reattach(const LineConfig& config) {
    link_.AttachPortForTesting(nullptr);
    link_.AttachPortForTesting(ports_.Open(1, config, nullptr));
    link_.line().parity_code = config.parity == Parity::kOdd    ? 1
                               : config.parity == Parity::kEven ? 2
                                                                : 0;
    link_.line().baud_code = config.baud == 9600 ? 6 : config.baud == 115200 ? 10 : 7;
  }

  uint16_t Read(uint16_t start, uint8_t count, std::vector<uint16_t>* values = nullptr) {
    std::vector<uint16_t> v(count, 0);
    exception_ = 0;
    const uint16_t status = link_.ReadHoldingRegisters(start, count, v.data(), &exception_);
    if (values != nullptr) *values = v;
    return status;
  }

  uint16_t Write(uint16_t start, std::vector<uint16_t> values) {
    exception_ = 0;
    return link_.WriteMultipleRegisters(start, static_cast<uint8_t>(values.size()), values.data(),
                                        &exception_, "test");
  }

  uint16_t Unlock() { return Write(reg::kUserLock, {1, 1}); }
  uint16_t Lock() { return Write(reg::kUserLock, {0, 0}); }

  // The last journal entry.
  const JournalEntry& Last() const { return bus_.journal().back(); }

  VirtualClock clock_;
  Bus bus_{clock_};
  Instrument& meter_ = bus_.AddInstrument();
  InProcessPortProvider ports_{clock_};
  Link link_{ports_, clock_};
  uint16_t exception_ = 0;
};

inline LineConfig Line(uint32_t baud, Parity parity) {
  LineConfig config;
  config.baud = baud;
  config.parity = parity;
  config.stop_bits = parity == Parity::kNone ? 2 : 1;
  return config;
}

inline float FloatOf(uint16_t first, uint16_t second) {
  return FloatFromWords(first, second);
}

}  // namespace qmx::sim::test
