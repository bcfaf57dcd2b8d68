#include "registers/encoding.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace qmx {

// The instrument sends IEEE-754 patterns; the bit copies below are only right
// where float and double are those formats.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace {

// memcpy keeps the bit reinterpretation defined behaviour; compilers turn it
// into a plain register move.
float FloatFromBits(uint32_t bits) {
  float value;
  static_assert(sizeof value == sizeof bits);
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsFromFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

uint8_t ByteOf(uint32_t value, int index_from_top) {
  return static_cast<uint8_t>(value >> (24 - 8 * index_from_top));
}

// For each order: the wire byte that supplies float byte 0 (bits 31..24)
// through float byte 3 (bits 7..0).
constexpr int kWireByteOf[4][4] = {
    {0, 1, 2, 3},
    {2, 3, 0, 1},
    {1, 0, 3, 2},
    {3, 2, 1, 0},
};

}  // namespace

FloatByteOrder FloatByteOrderFromCode(unsigned code) {
  return code <= 3 ? static_cast<FloatByteOrder>(code) : FloatByteOrder::k0123;
}

DecodedFloat FloatFromRegisters(uint16_t first, uint16_t second, FloatByteOrder order) {
  const uint32_t wire = static_cast<uint32_t>(first) << 16 | second;
  const int(&row)[4] = kWireByteOf[static_cast<int>(order) & 3];
  uint32_t bits = 0;
  for (int float_byte = 0; float_byte < 4; ++float_byte) {
    bits = bits << 8 | ByteOf(wire, row[float_byte]);
  }
  const float value = FloatFromBits(bits);
  // Written so that a NaN, which fails every comparison, lands on the invalid side.
  if (value >= -kFloatValidLimit && value <= kFloatValidLimit) return {value, false};
  return {0.0f, true};
}

DecodedFloat ParameterFloatFromRegisters(uint16_t first, uint16_t second) {
  const float value = FloatFromBits(static_cast<uint32_t>(first) << 16 | second);
  if (std::isfinite(value)) return {value, false};
  return {0.0f, true};
}

RegisterPair FloatToRegisters(float value, FloatByteOrder order) {
  const uint32_t bits = BitsFromFloat(value);
  const int(&row)[4] = kWireByteOf[static_cast<int>(order) & 3];
  uint8_t wire[4] = {};
  for (int float_byte = 0; float_byte < 4; ++float_byte) {
    wire[row[float_byte]] = ByteOf(bits, float_byte);
  }
  return {static_cast<uint16_t>(wire[0] << 8 | wire[1]),
          static_cast<uint16_t>(wire[2] << 8 | wire[3])};
}

uint32_t LongFromRegisters(uint16_t first, uint16_t second, WordOrder order) {
  const uint32_t upper = order == WordOrder::kUpperWordFirst ? first : second;
  const uint32_t lower = order == WordOrder::kUpperWordFirst ? second : first;
  return upper << 16 | lower;
}

RegisterPair LongToRegisters(uint32_t value, WordOrder order) {
  const auto upper = static_cast<uint16_t>(value >> 16);
  const auto lower = static_cast<uint16_t>(value);
  if (order == WordOrder::kUpperWordFirst) return {upper, lower};
  return {lower, upper};
}

double DoubleFromRegisters(uint16_t first, uint16_t second, uint16_t third, uint16_t fourth,
                           bool skip) {
  if (skip) return 0.0;
  const uint64_t bits = static_cast<uint64_t>(first) << 48 | static_cast<uint64_t>(second) << 32 |
                        static_cast<uint64_t>(third) << 16 | fourth;
  double value;
  static_assert(sizeof value == sizeof bits);
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::array<uint16_t, 4> DoubleToRegisters(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return {static_cast<uint16_t>(bits >> 48), static_cast<uint16_t>(bits >> 32),
          static_cast<uint16_t>(bits >> 16), static_cast<uint16_t>(bits)};
}

}  // namespace qmx
