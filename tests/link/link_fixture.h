// A link on a scripted port in virtual time, with the settings the program
// has after reading its settings files with their defaults.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/link.h"
#include "support/fake_serial_port.h"

namespace qmx::test {

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() {
    auto port = std::make_unique<FakeSerialPort>(clock_);
    port_ = port.get();
    link_.AttachPortForTesting(std::move(port));
    link_.line().timeout = 2000;
    link_.settings().use_log_file = 0;
  }

  // A good read answer carrying `values` from `address`.
  static std::vector<uint8_t> ReadAnswer(uint8_t address, const std::vector<uint16_t>& values) {
    std::vector<uint8_t> frame{address, 0x03, static_cast<uint8_t>(2 * values.size())};
    for (uint16_t v : values) {
      frame.push_back(static_cast<uint8_t>(v >> 8));
      frame.push_back(static_cast<uint8_t>(v & 0xFF));
    }
    return WithCrc(frame);
  }

  VirtualClock clock_;
  NoPortProvider provider_;
  Link link_{provider_, clock_};
  FakeSerialPort* port_ = nullptr;
};

}  // namespace qmx::test
