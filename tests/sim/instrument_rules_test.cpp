// The instrument's rules as the program meets them through its own master:
// what it answers, what it refuses and with which exception, on which line.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

constexpr uint16_t kNoAnswer = 0x006E;
constexpr uint16_t kExceptionStatus = 0x001A;

TEST_F(SimTest, ReadsTheMeasuredBlockAndIdentityCheck) {
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 49, &v), 0);
  EXPECT_EQ(v[reg::kFlowUnitAndOrder - 256], 0x0002);  // m3/h, byte order 0
  EXPECT_NEAR(FloatOf(v[0], v[1]), 12.5, 12.5 * 0.05);
  ASSERT_EQ(Read(305, 2, &v), 0);
  EXPECT_GT(FloatOf(v[0], v[1]), 0.0f);
  ASSERT_EQ(Read(1152, 3, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{1, 6, 0}));
  ASSERT_EQ(Read(1032, 3, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{1, 7, 0}));
}

TEST_F(SimTest, AddressesOutsideTheMapAreIllegal) {
  EXPECT_EQ(Read(4, 1), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
  EXPECT_EQ(Read(300, 10), kExceptionStatus);  // runs past 306
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
  ASSERT_EQ(Unlock(), 0);
  EXPECT_EQ(Write(2058, {1}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
  // Measured values and the identity check cannot be written, unlocked or not.
  EXPECT_EQ(Write(300, {0}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
  EXPECT_EQ(Write(1152, {1, 6, 0}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
  EXPECT_EQ(Write(reg::kInitFlag, {0}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalAddress);
}

TEST_F(SimTest, ConfigurationWritesNeedBothLocksOpen) {
  EXPECT_EQ(Write(1840, {1, 20}), kExceptionStatus);
  EXPECT_EQ(exception_, meter_.refusal_code());
  EXPECT_EQ(meter_.Get(1841), 10);

  ASSERT_EQ(Write(reg::kUserLock, {1, 0}), 0);  // USERLOCK alone is not enough
  EXPECT_EQ(Write(1840, {1, 20}), kExceptionStatus);

  ASSERT_EQ(Unlock(), 0);
  EXPECT_TRUE(meter_.unlocked());
  EXPECT_EQ(Write(1840, {1, 20}), 0);
  EXPECT_EQ(meter_.Get(1841), 20);
  ASSERT_EQ(Lock(), 0);
  EXPECT_EQ(Write(1840, {2, 30}), kExceptionStatus);
  EXPECT_EQ(meter_.Get(1841), 20);

  // Commands other than blink and latch need the lock too.
  EXPECT_EQ(Write(reg::kTotaliserReset, {1}), kExceptionStatus);
  EXPECT_EQ(Write(reg::kRestart, {1}), kExceptionStatus);
  EXPECT_EQ(meter_.restart_count(), 0u);
}

TEST_F(SimTest, ExemptRegistersAreWrittenLocked) {
  ASSERT_FALSE(meter_.unlocked());
  EXPECT_EQ(Write(reg::kBlink, {1}), 0);
  EXPECT_EQ(meter_.blink_count(), 1u);
  EXPECT_EQ(Write(reg::kLatch, {1}), 0);
  EXPECT_EQ(meter_.latch_count(), 1u);
  EXPECT_EQ(Write(65528, {0x1234, 0x5678, 0, 0, 0, 0, 0, 0xFFFF}), 0);
  EXPECT_EQ(meter_.Get(65535), 0xFFFF);
}

TEST_F(SimTest, WriteProtectionRefusesConfigurationEvenUnlocked) {
  meter_.SetWriteProtection(true);
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(300, 1, &v), 0);
  EXPECT_EQ(v[0] & 0x8000, 0x8000);

  ASSERT_EQ(Unlock(), 0);  // the lock registers stay writable
  EXPECT_EQ(Write(1840, {1, 20}), kExceptionStatus);
  EXPECT_EQ(exception_, meter_.refusal_code());
  EXPECT_EQ(Write(reg::kTotaliserReset, {1}), kExceptionStatus);
  EXPECT_EQ(Write(reg::kBlink, {1}), 0);
  EXPECT_EQ(Write(65530, {7}), 0);
  // A restart touches nothing the protection guards.
  EXPECT_EQ(Write(reg::kRestart, {1}), 0);
  EXPECT_EQ(meter_.restart_count(), 1u);

  meter_.SetWriteProtection(false);
  clock_.Advance(3000);
  ASSERT_EQ(Unlock(), 0);
  EXPECT_EQ(Write(1840, {1, 20}), 0);
}

TEST_F(SimTest, RefusalCodeCanBeChosen) {
  meter_.SetRefusalCode(kExceptionDeviceFailure);
  EXPECT_EQ(Write(1840, {1, 20}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionDeviceFailure);
}

TEST_F(SimTest, OutOfRangeSettingsAreIllegalValues) {
  ASSERT_EQ(Unlock(), 0);
  EXPECT_EQ(Write(1264, {10000}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalValue);
  EXPECT_EQ(Write(1264, {9999}), 0);
  EXPECT_EQ(Write(1032, {0, 7, 0}), kExceptionStatus);
  EXPECT_EQ(Write(1032, {1, 11, 0}), kExceptionStatus);
  EXPECT_EQ(Write(1032, {1, 7, 3}), kExceptionStatus);
  EXPECT_EQ(exception_, kExceptionIllegalValue);
  EXPECT_EQ(Write(1056, {2021, 13, 1, 0, 0, 0}), kExceptionStatus);
  // Nothing of a refused write is kept.
  EXPECT_EQ(meter_.configured_line(), (InstrumentSettings{1, 19200, Parity::kNone}));
}

TEST_F(SimTest, ExchangeWriteIsAnsweredOldThenSwitches) {
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(1032, {5, 6, 2}), 0);  // answered at 19200, none, address 1
  EXPECT_EQ(Last().answer[0], 1);
  EXPECT_EQ(meter_.active_line(), (InstrumentSettings{5, 9600, Parity::kEven}));

  // The old line is silent now.
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  EXPECT_EQ(Last().outcome, Outcome::kLineMismatch);
  // The new one answers, at the new address only.
  Reattach(Line(9600, Parity::kEven));
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  EXPECT_EQ(Last().outcome, Outcome::kNoInstrument);
  link_.line().network_address = 5;
  EXPECT_EQ(Read(300, 1), 0);
  // Still unlocked: the switch does not touch the lock.
  EXPECT_EQ(Write(reg::kUserLock, {0, 0}), 0);
}

TEST_F(SimTest, InitModeStoresExchangeParametersOnly) {
  meter_.SetLine(InstrumentSettings{7, 38400, Parity::kOdd});
  meter_.SetInitMode(true);
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(reg::kInitFlag, 1, &v), 0);  // INIT talks at 19200, none, 1
  EXPECT_EQ(v[0], 1);
  ASSERT_EQ(Read(1032, 3, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{7, 8, 1}));

  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(1032, {9, 10, 2}), 0);
  EXPECT_EQ(Read(1032, 3, &v), 0);  // still on the INIT line
  EXPECT_EQ(v, (std::vector<uint16_t>{9, 10, 2}));

  // Leaving INIT mode puts the stored settings in force.
  meter_.SetInitMode(false);
  EXPECT_EQ(Read(1032, 3), kNoAnswer);
  Reattach(Line(115200, Parity::kEven));
  link_.line().network_address = 9;
  EXPECT_EQ(Read(1032, 3), 0);
}

TEST_F(SimTest, LineMatchingByBaudAndParity) {
  Reattach(Line(9600, Parity::kNone));
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  EXPECT_EQ(Last().outcome, Outcome::kLineMismatch);
  Reattach(Line(19200, Parity::kEven));
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  Reattach(Line(19200, Parity::kOdd));
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  Reattach(Line(19200, Parity::kNone));
  EXPECT_EQ(Read(300, 1), 0);
  // Stop bits are no part of the match.
  LineConfig one_stop = Line(19200, Parity::kNone);
  one_stop.stop_bits = 1;
  Reattach(one_stop);
  EXPECT_EQ(Read(300, 1), 0);
}

TEST_F(SimTest, SeveralInstrumentsShareTheLine) {
  Instrument& second = bus_.AddInstrument(InstrumentSettings{5, 9600, Parity::kEven});
  second.SetFlow(40.0, 0.0);
  link_.line().network_address = 5;
  EXPECT_EQ(Read(256, 2), kNoAnswer);  // address 5 is not at 19200, none

  Reattach(Line(9600, Parity::kEven));
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 2, &v), 0);
  EXPECT_FLOAT_EQ(FloatOf(v[0], v[1]), 40.0f);
  EXPECT_EQ(Last().instrument, 1);
  link_.line().network_address = 1;
  EXPECT_EQ(Read(256, 2), kNoAnswer);  // address 1 is not at 9600, even
}

TEST_F(SimTest, BroadcastWritesAreExecutedNeverAnswered) {
  Instrument& second = bus_.AddInstrument(InstrumentSettings{2, 19200, Parity::kNone});
  link_.line().network_address = 0;
  // No address check at address 0: silence without the address bit.
  EXPECT_EQ(Write(reg::kBlink, {1}), 0x006A);
  EXPECT_EQ(Last().outcome, Outcome::kBroadcast);
  EXPECT_TRUE(Last().answer.empty());
  EXPECT_EQ(meter_.blink_count(), 1u);
  EXPECT_EQ(second.blink_count(), 1u);
  // The lock still applies to a broadcast.
  EXPECT_EQ(Write(1841, {50}), 0x006A);
  EXPECT_EQ(meter_.Get(1841), 10);
  // A broadcast read is nonsense: nobody acts, nobody answers.
  EXPECT_EQ(Read(300, 1), 0x006A);
}

TEST_F(SimTest, RestartAnswersThenFallsSilentAndComesBackLocked) {
  meter_.SetRestartSilenceMs(2000);
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(reg::kRestart, {1}), 0);
  EXPECT_EQ(meter_.restart_count(), 1u);
  const int64_t restarted = clock_.NowMs();
  EXPECT_EQ(Read(300, 1), kNoAnswer);
  EXPECT_EQ(Last().outcome, Outcome::kRestarting);
  clock_.Advance(restarted + 2000 - clock_.NowMs());
  EXPECT_EQ(Read(300, 1), 0);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(Write(1841, {50}), kExceptionStatus);
}

TEST_F(SimTest, CommandsAct) {
  ASSERT_EQ(Unlock(), 0);
  clock_.Advance(10'000);
  std::vector<uint16_t> v;
  ASSERT_EQ(Write(reg::kTotaliserReset, {1}), 0);
  ASSERT_EQ(Read(281, 24, &v), 0);
  EXPECT_EQ(v[20] << 16 | v[21], 0);  // accumulation time 301..302
  EXPECT_LT(std::bit_cast<double>(uint64_t{v[4]} << 48 | uint64_t{v[5]} << 32 |
                                  uint64_t{v[6]} << 16 | v[7]),
            0.001);                                // forward volume
  EXPECT_EQ(meter_.Get(reg::kTotaliserReset), 0);  // a command reads back 0

  const uint32_t operating = meter_.flow().OperatingSeconds(clock_.NowMs());
  EXPECT_GT(operating, 1000u);
  ASSERT_EQ(Write(reg::kOperatingTimeReset, {1}), 0);
  clock_.Advance(5000);
  ASSERT_EQ(Read(303, 2, &v), 0);
  EXPECT_EQ(uint32_t{v[0]} << 16 | v[1], 5u);
}

TEST_F(SimTest, UnsupportedFunctionAndMalformedCountsThroughTheBus) {
  // Frames the program never makes, sent straight into the bus.
  auto send = [&](std::vector<uint8_t> body) {
    AppendSlaveCrc(body);
    bus_.Receive(body.data(), body.size(), LineConfig{}, 0, 573);
    bus_.Quiet(1'000'000);
    return Last();
  };
  EXPECT_EQ(send({1, 6, 0x04, 0x16, 0, 1}).exception, kExceptionIllegalFunction);
  EXPECT_EQ(send({1, 3, 1, 0, 0, 126}).exception, kExceptionIllegalValue);
  EXPECT_EQ(send({1, 3, 1, 0, 0, 125}).outcome, Outcome::kException);  // 256+125 > 306
  EXPECT_EQ(send({1, 3, 1, 0, 0, 51}).outcome, Outcome::kAnswered);
  EXPECT_EQ(send({1, 16, 0xFF, 0xF8, 0, 2, 2, 0, 1}).exception, kExceptionIllegalValue);
}

}  // namespace
}  // namespace qmx::sim::test
