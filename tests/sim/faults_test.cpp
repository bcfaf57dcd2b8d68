// Every fault the instrument can be told to make, and the status the
// program's master reports for it.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

Fault Make(FaultKind kind, int value = 0, int gap_ms = 0, int remaining = -1) {
  Fault f;
  f.kind = kind;
  f.value = value;
  f.gap_ms = gap_ms;
  f.remaining = remaining;
  return f;
}

struct Case {
  const char* name;
  Fault fault;
  uint16_t read_status;  // read of 2 registers from 300
};

class FaultStatusTest : public SimTest, public ::testing::WithParamInterface<Case> {};

TEST_P(FaultStatusTest, ReadOfTwoRegisters) {
  meter_.AddFault(GetParam().fault);
  EXPECT_EQ(Read(300, 2), GetParam().read_status) << GetParam().name;
  EXPECT_EQ(Last().faults.empty(), false);
}

// Read of 2 registers: 9 bytes expected, 11 asked for, 24 ms interval,
// 24 x 11 + 1000 ms total.
INSTANTIATE_TEST_SUITE_P(
    Faults, FaultStatusTest,
    ::testing::Values(Case{"no answer", Make(FaultKind::kNoAnswer), 0x006E},
                      Case{"wrong crc", Make(FaultKind::kBadCrc), 0x0020},
                      Case{"other address", Make(FaultKind::kWrongAddress), 0x0004},
                      Case{"exception", Make(FaultKind::kException, 4), 0x001A},
                      // Short answers: the CRC then runs over zeros.
                      Case{"truncated to 5", Make(FaultKind::kTruncate, 5), 0x0022},
                      Case{"truncated to 1", Make(FaultKind::kTruncate, 1), 0x002A},
                      // Two more bytes than expected are still read; the CRC is where
                      // it belongs.
                      Case{"two extra bytes", Make(FaultKind::kExtraBytes, 2), 0x0002},
                      Case{"noise before", Make(FaultKind::kNoiseBefore), 0x002E},
                      Case{"delay beyond the total", Make(FaultKind::kDelay, 1300), 0x006E},
                      Case{"delay within the total", Make(FaultKind::kDelay, 1200), 0x0000},
                      Case{"gap beyond the interval", Make(FaultKind::kGap, 4, 30), 0x0022},
                      Case{"gap within the interval", Make(FaultKind::kGap, 4, 20), 0x0000},
                      // Without parity the driver's receive errors do not count.
                      Case{"line error without parity", Make(FaultKind::kLineError), 0x0000},
                      Case{"every second, first attempt", Make(FaultKind::kEverySecond), 0x006E}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (c == ' ' || c == ',') c = '_';
      }
      return name;
    });

TEST_F(SimTest, ExceptionFaultCarriesItsCode) {
  meter_.AddFault(Make(FaultKind::kException, 6));
  EXPECT_EQ(Read(300, 1), 0x001A);
  EXPECT_EQ(exception_, 6);
  EXPECT_EQ(Last().outcome, Outcome::kException);
}

TEST_F(SimTest, FaultedWritesAreNotExecutedWhenUnheard) {
  meter_.AddFault(Make(FaultKind::kNoAnswer, 0, 0, 1));
  EXPECT_EQ(Write(reg::kBlink, {1}), 0x006E);
  EXPECT_EQ(meter_.blink_count(), 0u);
  EXPECT_EQ(Last().outcome, Outcome::kSilent);
  // A spoilt answer follows an executed write.
  meter_.AddFault(Make(FaultKind::kBadCrc, 0, 0, 1));
  EXPECT_EQ(Write(reg::kBlink, {1}), 0x0020);
  EXPECT_EQ(meter_.blink_count(), 1u);
  EXPECT_TRUE(meter_.faults().empty());
}

TEST_F(SimTest, WriteReadsExactlyEightBytes) {
  meter_.AddFault(Make(FaultKind::kExtraBytes, 3));
  EXPECT_EQ(Write(reg::kBlink, {1}), 0);
  meter_.ClearFaults();
  // The extra bytes are still on the wire when the read ends; only a pause
  // lets the next transaction's purge drop them.
  clock_.Advance(10);
  meter_.AddFault(Make(FaultKind::kTruncate, 6));
  EXPECT_EQ(Write(reg::kBlink, {1}), 0x0022);
}

TEST_F(SimTest, LineErrorCountsWithParity) {
  meter_.SetLine(InstrumentSettings{1, 19200, Parity::kOdd});
  Reattach(Line(19200, Parity::kOdd));
  meter_.AddFault(Make(FaultKind::kLineError, 0, 0, 1));
  EXPECT_EQ(Read(300, 2), 0x0001);
  EXPECT_EQ(Read(300, 2), 0);
}

TEST_F(SimTest, RetriesTurnPassingFaultsIntoSuccessAfterRepetition) {
  link_.settings().retry_limit = 2;
  meter_.AddFault(Make(FaultKind::kEverySecond));
  const int64_t before = clock_.NowMs();
  EXPECT_EQ(Read(300, 2), 0x8000);
  // A silent first attempt costs its full total time-out and the pause.
  EXPECT_GE(clock_.NowMs() - before, 24 * 11 + 1000 + 1000);
  EXPECT_EQ(Read(300, 2), 0x8000);  // and again: every second request only
  EXPECT_EQ(bus_.journal().size(), 4u);

  meter_.ClearFaults();
  meter_.AddFault(Make(FaultKind::kBadCrc, 0, 0, 1));
  EXPECT_EQ(Read(300, 2), 0x8000);
  meter_.AddFault(Make(FaultKind::kException, 2, 0, 2));
  EXPECT_EQ(Read(300, 2), 0x801A);
  EXPECT_EQ(exception_, 2);
}

TEST_F(SimTest, NoAnswerWithRetryMatchesThePredictedTiming) {
  link_.settings().retry_limit = 2;
  link_.line().timeout = 2000;
  meter_.AddFault(Make(FaultKind::kNoAnswer));
  const int64_t before = clock_.NowMs();
  EXPECT_EQ(Read(300, 10), 0x806E);
  // One second plus two total time-outs of 24 x 27 + 2000 ms.
  EXPECT_EQ(clock_.NowMs() - before, 1000 + 2 * (24 * 27 + 2000));
}

TEST_F(SimTest, LateAnswerIsPurgedBeforeTheRepetition) {
  link_.settings().retry_limit = 2;
  // Arrives during the retry pause: the repetition's purge drops it.
  meter_.AddFault(Make(FaultKind::kDelay, 1500, 0, 1));
  EXPECT_EQ(Read(300, 2), 0x8000);
}

TEST_F(SimTest, FaultsForNRequestsThenGone) {
  meter_.AddFault(Make(FaultKind::kNoAnswer, 0, 0, 2));
  EXPECT_EQ(Read(300, 1), 0x006E);
  EXPECT_EQ(Read(300, 1), 0x006E);
  EXPECT_EQ(Read(300, 1), 0);
  EXPECT_TRUE(meter_.faults().empty());
}

TEST(FaultTextTest, Describe) {
  EXPECT_EQ(DescribeFault(Make(FaultKind::kGap, 3, 50, 2)), "gap 3 50 x2");
  EXPECT_EQ(DescribeFault(Make(FaultKind::kException, 4)), "exception 4");
  EXPECT_EQ(DescribeFault(Make(FaultKind::kEverySecond)), "everysecond");
}

}  // namespace
}  // namespace qmx::sim::test
