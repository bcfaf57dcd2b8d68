// A port whose device goes away and comes back (a converter pulled out and
// plugged in again, an instrument program started anew), against the
// virtual instrument in virtual time: what the exchanges after it send and
// return, how often the port is opened, and what the operator is told.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/exchange_status.h"
#include "link/link.h"
#include "operator/operation_report.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/instrument.h"

namespace qmx {
namespace {

// The virtual instruments' ports, with every open the link tries counted.
class CountingProvider final : public PortProvider {
 public:
  explicit CountingProvider(sim::InProcessPortProvider& ports) : ports_(ports) {}
  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override {
    ++attempts;
    return ports_.Open(number, config, error);
  }
  std::string DevicePath(uint16_t number) override { return ports_.DevicePath(number); }

  int attempts = 0;

 private:
  sim::InProcessPortProvider& ports_;
};

class PortReturnTest : public ::testing::Test {
 protected:
  PortReturnTest() {
    link_.settings().use_log_file = 0;
    link_.line().port_number = 1;
  }

  void Plug() { ports_.Attach(1, bus_); }
  void Pull() { ports_.Detach(1); }

  // The identity check registers, 1152..1154: 1, 6, 0.
  uint16_t ReadIdentity(std::vector<uint16_t>* values = nullptr) {
    std::vector<uint16_t> v(3, 0xFFFF);
    uint16_t exception = 0;
    const uint16_t status = link_.ReadHoldingRegisters(1152, 3, v.data(), &exception);
    if (values != nullptr) *values = v;
    return status;
  }
  uint16_t WriteUserRegister(uint16_t value) {
    uint16_t exception = 0;
    return link_.WriteMultipleRegisters(65530, 1, &value, &exception, "Проверка.");
  }
  // The box the operator would get for `status`, "" for none.
  std::string Report(uint16_t status) {
    const std::optional<ReportMessage> message =
        OperationReportMessage(status, 0, link_.port_failure());
    return message ? message->text : "";
  }

  VirtualClock clock_;
  sim::Bus bus_{clock_};
  sim::Instrument& meter_ = bus_.AddInstrument();
  sim::InProcessPortProvider ports_{clock_};
  CountingProvider counting_{ports_};
  Link link_{counting_, clock_};
};

constexpr char kMissingReport[] = "Ответа не было.\nПорт COM1 не найден.";

// However the port was lost, the first exchange after the device is back
// goes through, and the one while it is away says the port is missing.
TEST_F(PortReturnTest, TheFirstExchangeAfterTheDeviceIsBackGoesThroughWithoutAReopen) {
  struct Case {
    const char* what;
    std::function<void()> lose;
    bool write;  // the exchanges are writes, else reads
    // While away.  These ports cannot tell why an open fails; only a port
    // that went from under the link is known to be missing.
    const char* away_report;
  };
  const Case cases[] = {
      {"pulled out while open, reads",
       [this] {
         Plug();
         ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
         ASSERT_EQ(ReadIdentity(), 0);
         Pull();
       },
       false, kMissingReport},
      {"pulled out while open, writes",
       [this] {
         Plug();
         ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
         Pull();
       },
       true, kMissingReport},
      {"missing at the open, reads", [this] { ASSERT_FALSE(link_.OpenCurrentPort(0).ok); }, false,
       "Ответа не было."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ports_.Detach(1);
    bus_.ClearJournal();
    c.lose();
    bus_.ClearJournal();
    auto exchange = [&] { return c.write ? WriteUserRegister(0x1357) : ReadIdentity(); };

    // Away: one open tried per exchange, though the exchange itself is
    // repeated after its failure.
    const int attempts = counting_.attempts;
    const uint16_t away = exchange();
    EXPECT_EQ(away & kStatusNoAnswer, kStatusNoAnswer);
    EXPECT_EQ(away & kStatusRepeated, kStatusRepeated);
    EXPECT_EQ(Report(away), c.away_report);
    EXPECT_EQ(counting_.attempts, attempts + 1);
    EXPECT_TRUE(bus_.journal().empty());

    Plug();
    const uint16_t back = exchange();
    EXPECT_EQ(back, 0);
    EXPECT_EQ(Report(back), "");
    EXPECT_EQ(counting_.attempts, attempts + 2);
    EXPECT_EQ(bus_.JournalSummary(),
              std::vector<std::string>{c.write ? "write 65530 x1 = 4951" : "read 1152 x3"});
    // Open again, the port stays as it is: no further open.
    EXPECT_EQ(exchange(), 0);
    EXPECT_EQ(counting_.attempts, attempts + 2);
  }
}

TEST_F(PortReturnTest, PulledOutDuringAnExchangeItFailsAndTheNextOneIsServed) {
  Plug();
  ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
  bool pulled = false;
  link_.SetEventPump([&] {
    if (!pulled && link_.InTransaction()) {
      pulled = true;
      Pull();
    }
  });
  const int attempts = counting_.attempts;
  const uint16_t status = ReadIdentity();
  EXPECT_TRUE(pulled);
  EXPECT_NE(status, 0);
  // The repetition went nowhere: no open in the middle of an exchange.
  EXPECT_EQ(counting_.attempts, attempts);
  EXPECT_EQ(Report(status), kMissingReport);
  EXPECT_FALSE(link_.IsOpen());

  link_.SetEventPump(nullptr);
  Plug();
  std::vector<uint16_t> values;
  EXPECT_EQ(ReadIdentity(&values), 0);
  EXPECT_EQ(values, (std::vector<uint16_t>{1, 6, 0}));
  EXPECT_EQ(counting_.attempts, attempts + 1);
}

TEST_F(PortReturnTest, APortClosedOnPurposeStaysClosed) {
  Plug();
  ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
  link_.ClosePort();
  const int attempts = counting_.attempts;
  EXPECT_EQ(ReadIdentity() & kStatusNoAnswer, kStatusNoAnswer);
  EXPECT_EQ(counting_.attempts, attempts);
  EXPECT_TRUE(bus_.journal().empty());
}

}  // namespace
}  // namespace qmx
