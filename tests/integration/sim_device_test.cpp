// qmx41-sim serving a device it did not create (--device), as it does on a
// second USB converter wired to the same RS-485 pair.  Two pseudo-terminals
// joined back to back stand in for the converters and the cable.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "integration/pty_bridge.h"
#include "integration/sim_process.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/posix_serial_port.h"

namespace qmx {
namespace {

TEST(SimDeviceTest, ServesAGivenDeviceThatOurLinkReaches) {
  testing::PtyBridge cable;
  ASSERT_TRUE(cable.ok());
  sim::test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--device", cable.path_a()}, &error)) << error;

  testing::TempDir dir;
  const std::string ports = dir.path() + "/ports";
  std::filesystem::create_directory(ports);
  std::filesystem::create_symlink(cable.path_b(), ports + "/COM2");
  PosixPortProvider provider("/nonexistent-dev", ports);
  SystemClock clock;
  Link link(provider, clock);
  link.settings().use_log_file = 0;
  link.line().port_number = 2;
  link.line().timeout = 500;
  ASSERT_TRUE(link.OpenCurrentPort(1).ok);

  // The identity check registers of the instrument: 1, 6, 0.
  std::array<uint16_t, 3> values{};
  uint16_t exception = 0;
  EXPECT_EQ(link.ReadHoldingRegisters(1152, 3, values.data(), &exception), 0);
  EXPECT_EQ(values, (std::array<uint16_t, 3>{1, 6, 0}));

  // A user register written over the device reads back through the control
  // channel.
  const uint16_t value = 0x1234;
  EXPECT_EQ(link.WriteMultipleRegisters(65530, 1, &value, &exception, "Проверка."), 0);
  EXPECT_EQ(sim.Get(65530, 1), (std::vector<unsigned>{0x1234}));
}

}  // namespace
}  // namespace qmx
