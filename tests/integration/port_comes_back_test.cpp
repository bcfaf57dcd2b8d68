// The instrument program ends and is started again while our link holds its
// pseudo-terminal: the line vanishes from under the open port and comes back
// under the same COM number as another device.  The link must tell the
// operator that the port is missing while it is, and serve the first
// exchange after its return without anybody opening the port again.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "integration/sim_process.h"
#include "link/clock.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "link/posix_serial_port.h"
#include "operator/operation_report.h"

namespace qmx {
namespace {

class PortComesBackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim_.Start({"--no-pacing"}, &error)) << error;
    provider_.SetPortsDir(sim_.ports_dir());
    link_.settings().use_log_file = 0;
    link_.line().port_number = 1;
    link_.settings().retry_limit = 1;
    link_.line().timeout = 1000;  // only a lost answer waits that long
  }

  // The identity check registers, 1152..1154.
  uint16_t ReadIdentity(std::vector<uint16_t>* values) {
    values->assign(3, 0xFFFF);
    uint16_t exception = 0;
    return link_.ReadHoldingRegisters(1152, 3, values->data(), &exception);
  }
  // The box the operator would get for `status`, "" for none.
  std::string Report(uint16_t status) {
    const std::optional<ReportMessage> message =
        OperationReportMessage(status, 0, link_.port_failure());
    return message ? message->text : "";
  }

  sim::test::SimProcess sim_;
  PosixPortProvider provider_{"/nonexistent-dev", ""};
  SystemClock clock_;
  Link link_{provider_, clock_};
};

TEST_F(PortComesBackTest, ARestartedInstrumentProgramServesTheNextReadWithoutAReopen) {
  ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
  std::vector<uint16_t> values;
  ASSERT_EQ(ReadIdentity(&values), 0);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));

  sim_.Terminate();
  // Twice: the second exchange, too, finds the port missing, not merely
  // silent.
  for (int round = 0; round < 2; ++round) {
    const uint16_t status = ReadIdentity(&values);
    EXPECT_NE(status & kStatusNoAnswer, 0) << "round " << round;
    EXPECT_EQ(Report(status), "Ответа не было.\nПорт COM1 не найден.") << "round " << round;
  }

  std::string error;
  ASSERT_TRUE(sim_.Start({"--no-pacing"}, &error)) << error;
  ASSERT_EQ(sim_.ports_dir(), provider_.naming().ports_dir());
  // A value only the new process can know: the answer comes from it.
  ASSERT_EQ(sim_.Command("set 1154 77"), "");
  EXPECT_EQ(ReadIdentity(&values), 0);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 77}));
  EXPECT_EQ(link_.port_failure(), nullptr);
  EXPECT_TRUE(link_.IsOpen());

  // And a write goes the same way.
  const uint16_t value = 0x2468;
  uint16_t exception = 0;
  EXPECT_EQ(link_.WriteMultipleRegisters(65530, 1, &value, &exception, "Проверка."), 0);
  EXPECT_EQ(sim_.Get(65530, 1), (std::vector<unsigned>{0x2468}));
}

TEST_F(PortComesBackTest, AProgramThatWasNotRunningAtTheOpenIsReachedOnceItRuns) {
  sim_.Terminate();
  EXPECT_FALSE(link_.OpenCurrentPort(0).ok);  // start-up: no box
  std::vector<uint16_t> values;
  EXPECT_EQ(Report(ReadIdentity(&values)), "Ответа не было.\nПорт COM1 не найден.");

  std::string error;
  ASSERT_TRUE(sim_.Start({"--no-pacing"}, &error)) << error;
  EXPECT_EQ(ReadIdentity(&values), 0);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
}

}  // namespace
}  // namespace qmx
