// The running measurement: values that move with the instrument's clock,
// totalisers that follow the flow, the clock registers, the latch.
#include <gtest/gtest.h>

#include <cmath>

#include "sim_fixture.h"

namespace qmx::sim::test {
namespace {

double DoubleOf(const std::vector<uint16_t>& v, size_t at) {
  return std::bit_cast<double>(uint64_t{v[at]} << 48 | uint64_t{v[at + 1]} << 32 |
                               uint64_t{v[at + 2]} << 16 | v[at + 3]);
}

TEST_F(SimTest, FlowWandersAroundItsSetValue) {
  meter_.SetFlow(20.0, 0.05);
  std::vector<uint16_t> v;
  float lowest = 1e9f;
  float highest = -1e9f;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(Read(256, 2, &v), 0);
    const float flow = FloatOf(v[0], v[1]);
    lowest = std::min(lowest, flow);
    highest = std::max(highest, flow);
    clock_.Advance(1000);
  }
  EXPECT_GE(lowest, 20.0f * 0.95f);
  EXPECT_LE(highest, 20.0f * 1.05f);
  EXPECT_GT(highest - lowest, 0.1f);  // it does move
}

TEST_F(SimTest, VolumesFollowASteadyFlow) {
  meter_.SetFlow(36.0, 0.0);  // 0.01 m3 per second
  std::vector<uint16_t> before;
  std::vector<uint16_t> after;
  ASSERT_EQ(Read(256, 49, &before), 0);
  clock_.Advance(100'000);
  ASSERT_EQ(Read(256, 49, &after), 0);
  const double elapsed_s = 100.0;  // and the ~0.1 s of the first read
  const double forward_gain = DoubleOf(after, 285 - 256) - DoubleOf(before, 285 - 256);
  EXPECT_NEAR(forward_gain, elapsed_s * 0.01, 0.002);
  EXPECT_DOUBLE_EQ(DoubleOf(after, 289 - 256), DoubleOf(before, 289 - 256));  // reverse
  EXPECT_NEAR(DoubleOf(after, 281 - 256), DoubleOf(after, 285 - 256) - DoubleOf(after, 289 - 256),
              1e-9);
  EXPECT_NEAR(DoubleOf(after, 293 - 256), DoubleOf(after, 285 - 256) + DoubleOf(after, 289 - 256),
              1e-9);
  const uint32_t acc_before = uint32_t{before[301 - 256]} << 16 | before[302 - 256];
  const uint32_t acc_after = uint32_t{after[301 - 256]} << 16 | after[302 - 256];
  EXPECT_EQ(acc_after - acc_before, 100u);
}

TEST_F(SimTest, UnitsAndByteOrderFollowTheSettings) {
  meter_.SetFlow(36.0, 0.0);
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(1840, {1}), 0);  // litres per second
  ASSERT_EQ(Write(1856, {1}), 0);  // litres
  meter_.SetFloatByteOrder(1);
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 49, &v), 0);
  EXPECT_EQ(v[261 - 256], 0x0101);
  // Byte order 1: the second register holds the upper half.
  EXPECT_FLOAT_EQ(FloatOf(v[1], v[0]), 10.0f);
  EXPECT_EQ(v[299 - 256], 1);
  EXPECT_GT(DoubleOf(v, 285 - 256), 1000.0 * 1500);  // litres now
  // The standard-conditions flow and the module data stay in byte order 0.
  ASSERT_EQ(Read(0, 4, &v), 0);
  EXPECT_FLOAT_EQ(FloatOf(v[0], v[1]), 36.0f);
}

TEST_F(SimTest, CutOffZeroesTheFlowAndSetsItsBit) {
  meter_.SetFlow(0.5, 0.0);  // 0.7 % of 70 m3/h, under the 1 % cut-off
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 4, &v), 0);
  EXPECT_EQ(FloatOf(v[0], v[1]), 0.0f);
  EXPECT_EQ(v[3] & 0x0004, 0x0004);
  ASSERT_EQ(Read(0, 4, &v), 0);  // the module still sees the raw flow
  EXPECT_FLOAT_EQ(FloatOf(v[0], v[1]), 0.5f);
  EXPECT_EQ(v[2], 0x0004);
}

TEST_F(SimTest, OverridesAndSwitchesShowInTheBlock) {
  meter_.Set(reg::kFlowError, 0x1000);
  meter_.Set(reg::kPressureError, 0x0006);
  meter_.SetKeys(0x0112);
  meter_.SetWriteProtection(true);
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(256, 49, &v), 0);
  EXPECT_EQ(v[260 - 256], 0x1000);
  EXPECT_EQ(v[280 - 256], 0x0006);
  EXPECT_EQ(v[300 - 256], 0x8112);
  ASSERT_EQ(Read(776, 2, &v), 0);
  EXPECT_EQ(v[1], 0x1000);  // raw LO follows the flow error word
  meter_.ClearOverrides();
  meter_.SetWriteProtection(false);
  ASSERT_EQ(Read(260, 1, &v), 0);
  EXPECT_EQ(v[0], 0);
  // Without the external sensor, pressure and process temperature are
  // not measured.
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(reg::kSensorMeasuring, {0}), 0);
  ASSERT_EQ(Read(272, 9, &v), 0);
  EXPECT_EQ(v[274 - 272], 0x8000);
  EXPECT_EQ(v[280 - 272], 0x8000);
}

TEST_F(SimTest, ClockRunsAndAWriteSetsIt) {
  // The virtual clock starts at 2025-03-06 14:05:07.250.
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(1056, 6, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{2025, 3, 6, 14, 5, 7}));
  ASSERT_EQ(Unlock(), 0);
  ASSERT_EQ(Write(1056, {2021, 4, 3, 7, 5, 9}), 0);
  clock_.Advance(61'000);
  ASSERT_EQ(Read(1056, 6, &v), 0);
  EXPECT_EQ(v, (std::vector<uint16_t>{2021, 4, 3, 7, 6, 10}));
  // One field alone moves only that field.
  ASSERT_EQ(Write(1059, {23}), 0);
  ASSERT_EQ(Read(1056, 6, &v), 0);
  EXPECT_EQ(v[3], 23);
  EXPECT_EQ(v[2], 3);
}

TEST_F(SimTest, LatchCopiesTheCurrentValues) {
  meter_.SetFlow(30.0, 0.0);
  meter_.Set(reg::kFlowError, 0x0010);
  ASSERT_EQ(Write(reg::kLatch, {1}), 0);
  meter_.SetFlow(50.0, 0.0);
  meter_.ClearOverrides();
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(768, 11, &v), 0);
  EXPECT_FLOAT_EQ(FloatOf(v[4], v[5]), 30.0f);
  EXPECT_EQ(v[7], 0x0010);
  ASSERT_EQ(Read(256, 2, &v), 0);
  EXPECT_FLOAT_EQ(FloatOf(v[0], v[1]), 50.0f);
}

TEST_F(SimTest, PulseOutputBacklog) {
  meter_.SetFlow(36.0, 0.0);  // 0.01 m3/s
  ASSERT_EQ(Unlock(), 0);
  // Pulses of 0.001 m3 at most every 200 ms: 0.005 m3/s can be sent.
  ASSERT_EQ(Write(1824, {0x3A83, 0x126F, 0, 100, 100}), 0);
  ASSERT_EQ(Write(reg::kOutputType, {3}), 0);
  clock_.Advance(10'000);
  std::vector<uint16_t> v;
  ASSERT_EQ(Read(768, 4, &v), 0);
  EXPECT_NEAR(DoubleOf(v, 0), 10 * (0.01 - 0.005), 0.001);
}

TEST(FlowSteps, EverySecondPeriodTheFlowIsAStepHigher) {
  FlowModel flow;
  flow.SetFlow(10.0, 0.0);
  EXPECT_DOUBLE_EQ(flow.RawFlowAt(150000), 10.0);  // off by default
  flow.SetSteps(20.0, 120000);
  EXPECT_DOUBLE_EQ(flow.RawFlowAt(60000), 10.0);
  EXPECT_DOUBLE_EQ(flow.RawFlowAt(150000), 30.0);
  EXPECT_DOUBLE_EQ(flow.RawFlowAt(250000), 10.0);
  flow.SetSteps(20.0, 0);
  EXPECT_DOUBLE_EQ(flow.RawFlowAt(150000), 10.0);
}

}  // namespace
}  // namespace qmx::sim::test
