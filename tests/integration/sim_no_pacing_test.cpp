// qmx41-sim --no-pacing, the quick line of test sessions: every byte of an
// answer is due at the same moment, and the answer must still go out in its
// own order.  Read with our own master over the published pseudo-terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/sim_process.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/posix_serial_port.h"

namespace qmx {
namespace {

TEST(SimNoPacingTest, FortyNineRegistersArriveInTheirOrder) {
  sim::test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--no-pacing"}, &error)) << error;

  // 49 different values in the measuring-module parameters, so that any two
  // bytes out of place change what is read.
  constexpr unsigned kStart = 1280;
  constexpr unsigned kCount = 49;
  std::string command = "set " + std::to_string(kStart);
  for (unsigned i = 0; i < kCount; ++i) command += " " + std::to_string(0x0101 * (i + 1) + i);
  ASSERT_EQ(sim.Command(command), "");
  const std::vector<unsigned> stored = sim.Get(kStart, kCount);
  ASSERT_EQ(stored.size(), kCount);

  PosixPortProvider provider("/nonexistent-dev", sim.ports_dir());
  SystemClock clock;
  Link link(provider, clock);
  link.settings().use_log_file = 0;
  link.settings().retry_limit = 1;  // an answer out of order must not pass as a retry
  link.line().port_number = 1;
  link.line().timeout = 1000;  // only a lost answer waits that long
  ASSERT_TRUE(link.OpenCurrentPort(1).ok);

  for (int round = 0; round < 3; ++round) {
    std::vector<uint16_t> values(kCount, 0);
    uint16_t exception = 0;
    ASSERT_EQ(link.ReadHoldingRegisters(kStart, kCount, values.data(), &exception), 0)
        << "round " << round;
    EXPECT_EQ(std::vector<unsigned>(values.begin(), values.end()), stored) << "round " << round;
  }
}

}  // namespace
}  // namespace qmx
