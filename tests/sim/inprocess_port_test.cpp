// The in-process port's time: request and answer at the line's pace, and
// read time-outs kept to the millisecond of virtual time.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

class PortTimingTest : public ::testing::Test {
 protected:
  PortTimingTest() {
    ports_.Attach(1, bus_);
    port_ = ports_.Open(1, LineConfig{}, nullptr);
  }

  // Writes a read request of `count` registers from `start` at address 1.
  void Request(uint8_t count, uint16_t start = 300) {
    std::vector<uint8_t> frame{
        1, 3, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF), 0, count};
    AppendSlaveCrc(frame);
    port_->Write(frame.data(), frame.size());
  }

  VirtualClock clock_;
  Bus bus_{clock_};
  Instrument& meter_ = bus_.AddInstrument();
  InProcessPortProvider ports_{clock_};
  std::unique_ptr<SerialPort> port_;
  uint8_t buffer_[300] = {};
};

TEST_F(PortTimingTest, AnswerEndsByTheIntervalAfterItsLastByte) {
  port_->SetTimeouts(ReadTimeouts{24, 24, 1000});
  Request(2);
  EXPECT_EQ(port_->Read(buffer_, 11, nullptr), 9u);
  // 8 request characters, 5 ms turnaround, 9 answer characters of 573 us,
  // then the 24 ms interval: 14.74 + 24 ms, shown rounded up.
  EXPECT_EQ(clock_.NowMs(), 39);
}

TEST_F(PortTimingTest, ExactCountEndsAtTheLastByte) {
  port_->SetTimeouts(ReadTimeouts{24, 24, 1000});
  Request(2);
  EXPECT_EQ(port_->Read(buffer_, 9, nullptr), 9u);
  EXPECT_EQ(clock_.NowMs(), 15);
}

TEST_F(PortTimingTest, SilenceCostsTheTotalTimeOut) {
  port_->SetTimeouts(ReadTimeouts{24, 24, 1000});
  meter_.SetInitMode(true);
  meter_.SetLine(InstrumentSettings{1, 9600, Parity::kNone});
  meter_.SetInitMode(false);
  Request(2);
  EXPECT_EQ(port_->Read(buffer_, 11, nullptr), 0u);
  EXPECT_EQ(clock_.NowMs(), 24 * 11 + 1000);
}

TEST_F(PortTimingTest, IntervalDoesNotRunBeforeTheFirstByte) {
  // A 40 ms delay is longer than the interval, but the interval only
  // starts once a byte is in.
  port_->SetTimeouts(ReadTimeouts{24, 0, 100});
  Fault delay;
  delay.kind = FaultKind::kDelay;
  delay.value = 40;
  meter_.AddFault(delay);
  Request(1);
  EXPECT_EQ(port_->Read(buffer_, 9, nullptr), 7u);
}

TEST_F(PortTimingTest, TotalCutsALongAnswer) {
  port_->SetTimeouts(ReadTimeouts{0, 0, 20});
  Request(64, 1994);  // 133 answer bytes take 76 ms
  const size_t got = port_->Read(buffer_, 135, nullptr);
  // Up to 20 ms from the read's start: the turnaround and request take
  // 9.6 ms, leaving room for 18 characters.
  EXPECT_EQ(got, 18u);
  EXPECT_EQ(clock_.NowMs(), 20);
  // The rest keeps arriving and is there for the next read.
  port_->SetTimeouts(ReadTimeouts{24, 0, 0});
  EXPECT_EQ(port_->Read(buffer_, 300, nullptr), 133u - 18u);
}

TEST_F(PortTimingTest, PurgeDropsOnlyWhatHasArrived) {
  port_->SetTimeouts(ReadTimeouts{0, 0, 10});
  Request(2);
  EXPECT_EQ(port_->Read(buffer_, 2, nullptr), 0u);  // nothing within 10 ms
  port_->Purge();
  port_->SetTimeouts(ReadTimeouts{0, 0, 100});
  EXPECT_EQ(port_->Read(buffer_, 9, nullptr), 9u);  // still coming
  clock_.Advance(100);
  Request(2);
  clock_.Advance(100);
  port_->Purge();
  EXPECT_EQ(port_->Read(buffer_, 9, nullptr), 0u);
}

TEST_F(PortTimingTest, PumpRunsWhileWaiting) {
  port_->SetTimeouts(ReadTimeouts{0, 0, 100});
  int pumps = 0;
  EventPump pump = [&] { ++pumps; };
  EXPECT_EQ(port_->Read(buffer_, 9, &pump), 0u);
  EXPECT_GE(pumps, 10);
}

TEST_F(PortTimingTest, PortIsExclusive) {
  std::string error;
  EXPECT_EQ(ports_.Open(1, LineConfig{}, &error), nullptr);
  EXPECT_NE(error.find("in use"), std::string::npos);
  EXPECT_EQ(ports_.Open(2, LineConfig{}, &error), nullptr);
  port_.reset();
  EXPECT_NE(ports_.Open(1, LineConfig{}, nullptr), nullptr);
  EXPECT_EQ(ports_.DevicePath(2), "");
}

}  // namespace
}  // namespace qmx::sim::test
