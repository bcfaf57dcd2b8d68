#include "registers/encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace qmx {
namespace {

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float FromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

struct OrderCase {
  unsigned code;
  RegisterPair one_and_a_half;  // 1.5 = 3F C0 00 00
  RegisterPair pattern;         // float bits 0x12345678
};

// Every byte of 0x12345678 differs, so a row of the order table that swaps
// the wrong pair of bytes gives registers other than these.
constexpr OrderCase kOrders[] = {
    {0, {0x3FC0, 0x0000}, {0x1234, 0x5678}},
    {1, {0x0000, 0x3FC0}, {0x5678, 0x1234}},
    {2, {0xC03F, 0x0000}, {0x3412, 0x7856}},
    {3, {0x0000, 0xC03F}, {0x7856, 0x3412}},
};

TEST(FloatByteOrderTest, EachCodePlacesTheBytesOfItsRow) {
  for (const OrderCase& c : kOrders) {
    SCOPED_TRACE(c.code);
    const FloatByteOrder order = FloatByteOrderFromCode(c.code);
    EXPECT_EQ(static_cast<unsigned>(order), c.code);

    const DecodedFloat decoded =
        FloatFromRegisters(c.one_and_a_half.first, c.one_and_a_half.second, order);
    EXPECT_EQ(decoded.value, 1.5f);
    EXPECT_FALSE(decoded.invalid);
    EXPECT_EQ(FloatToRegisters(1.5f, order), c.one_and_a_half);

    const float pattern = FromBits(0x12345678);
    EXPECT_EQ(FloatToRegisters(pattern, order), c.pattern);
    EXPECT_EQ(Bits(FloatFromRegisters(c.pattern.first, c.pattern.second, order).value),
              0x12345678u);
  }
}

TEST(FloatByteOrderTest, UnknownCodesFallBackToTheParameterBlockOrder) {
  EXPECT_EQ(FloatByteOrderFromCode(4), FloatByteOrder::k0123);
  EXPECT_EQ(FloatByteOrderFromCode(255), FloatByteOrder::k0123);
  // Parameter blocks write upper word first without naming an order.
  EXPECT_EQ(FloatToRegisters(2.0f), (RegisterPair{0x4000, 0x0000}));
  EXPECT_EQ(FloatFromRegisters(0x4000, 0x0000).value, 2.0f);
}

TEST(FloatValidityTest, NanInfinitiesAndMagnitudesAboveTenMillionBecomeZeroWithTheFlag) {
  struct Case {
    uint16_t first, second;
    bool invalid;
    float value;
  };
  const Case cases[] = {
      {0x7FC0, 0x0000, true, 0.0f},            // quiet NaN
      {0x7F80, 0x0001, true, 0.0f},            // signalling NaN
      {0xFFC0, 0x0000, true, 0.0f},            // negative NaN
      {0x7F80, 0x0000, true, 0.0f},            // +infinity
      {0xFF80, 0x0000, true, 0.0f},            // -infinity
      {0x4B18, 0x9680, false, 10'000'000.0f},  // the bound itself
      {0x4B18, 0x9681, true, 0.0f},            // next float above it
      {0xCB18, 0x9680, false, -10'000'000.0f},
      {0xCB18, 0x9681, true, 0.0f},
      {0x7F7F, 0xFFFF, true, 0.0f},          // largest finite float
      {0x0000, 0x0001, false, FromBits(1)},  // smallest denormal passes unchanged
      {0x8000, 0x0000, false, -0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.first << ' ' << c.second);
    const DecodedFloat decoded = FloatFromRegisters(c.first, c.second, FloatByteOrder::k0123);
    EXPECT_EQ(decoded.invalid, c.invalid);
    EXPECT_EQ(Bits(decoded.value), Bits(c.value));
  }
  // The check applies after reordering, not to the raw registers.
  EXPECT_TRUE(FloatFromRegisters(0x0000, 0x7FC0, FloatByteOrder::k2301).invalid);
  EXPECT_FALSE(FloatFromRegisters(0x7FC0, 0x0000, FloatByteOrder::k2301).invalid);
}

TEST(LongEncodingTest, BothWordOrders) {
  EXPECT_EQ(LongToRegisters(0x00010002, WordOrder::kLowerWordFirst),
            (RegisterPair{0x0002, 0x0001}));
  EXPECT_EQ(LongToRegisters(0x00010002, WordOrder::kUpperWordFirst),
            (RegisterPair{0x0001, 0x0002}));
  EXPECT_EQ(LongToRegisters(0x12345678, WordOrder::kLowerWordFirst),
            (RegisterPair{0x5678, 0x1234}));
  EXPECT_EQ(LongToRegisters(0x12345678, WordOrder::kUpperWordFirst),
            (RegisterPair{0x1234, 0x5678}));

  EXPECT_EQ(LongFromRegisters(0x5678, 0x1234, WordOrder::kLowerWordFirst), 0x12345678u);
  EXPECT_EQ(LongFromRegisters(0x1234, 0x5678, WordOrder::kUpperWordFirst), 0x12345678u);
  // The top bit must survive: counters run up to 0xFFFFFFFF.
  EXPECT_EQ(LongFromRegisters(0xFFFF, 0x8000, WordOrder::kUpperWordFirst), 0xFFFF8000u);
  EXPECT_EQ(LongFromRegisters(0x8000, 0xFFFF, WordOrder::kLowerWordFirst), 0xFFFF8000u);
}

TEST(DoubleEncodingTest, MostSignificantWordFirst) {
  // 1234.5 = 0x40934A00'00000000
  EXPECT_EQ(DoubleFromRegisters(0x4093, 0x4A00, 0x0000, 0x0000), 1234.5);
  EXPECT_EQ(DoubleToRegisters(1234.5), (std::array<uint16_t, 4>{0x4093, 0x4A00, 0x0000, 0x0000}));
  // pi = 0x400921FB'54442D18: four different words, so any swap shows.
  EXPECT_EQ(DoubleFromRegisters(0x4009, 0x21FB, 0x5444, 0x2D18), std::numbers::pi);
  EXPECT_EQ(DoubleToRegisters(std::numbers::pi),
            (std::array<uint16_t, 4>{0x4009, 0x21FB, 0x5444, 0x2D18}));
  // No validity test on doubles.
  EXPECT_TRUE(std::isinf(DoubleFromRegisters(0x7FF0, 0, 0, 0)));
}

TEST(DoubleEncodingTest, SkipFlagGivesZeroWhateverTheWords) {
  EXPECT_EQ(DoubleFromRegisters(0x4093, 0x4A00, 0x0000, 0x0000, true), 0.0);
  EXPECT_EQ(DoubleFromRegisters(0x7FF8, 0, 0, 0, true), 0.0);
}

}  // namespace
}  // namespace qmx
