// How the instrument's values sit in its 16-bit holding registers.  The
// register words are those of ReadHoldingRegisters and WriteMultipleRegisters:
// register order, each word already assembled from its high and low byte.
#pragma once

#include <array>
#include <cstdint>

namespace qmx {

// Which wire byte of a two-register float supplies which byte of the float.
// Wire bytes 0..3 are the four data bytes in transmission order (first
// register high, first register low, second register high, second register
// low).  The names list the wire bytes from the float's most significant byte
// to its least, as the selector on the exchange tab shows them.
enum class FloatByteOrder : uint8_t {
  k0123 = 0,  // the parameter blocks: first register = upper 16 bits
  k2301 = 1,
  k1032 = 2,
  k3210 = 3,
};

// The code as it comes from the selector or the configuration file; codes the
// program does not know fall back to 0, the order of the parameter blocks.
FloatByteOrder FloatByteOrderFromCode(unsigned code);

enum class WordOrder {
  kLowerWordFirst,  // first register = bits 0..15
  kUpperWordFirst,  // first register = bits 16..31
};

struct RegisterPair {
  uint16_t first = 0;
  uint16_t second = 0;
  friend bool operator==(const RegisterPair&, const RegisterPair&) = default;
};

struct DecodedFloat {
  // 0.0 when invalid, so that a broken value never reaches a page or a file.
  float value = 0.0f;
  // Raised for a NaN, an infinity or a magnitude above 10 000 000.
  bool invalid = false;
};

// The largest magnitude a measured or configured float can have; anything
// beyond it is a broken reading, not a value.
inline constexpr float kFloatValidLimit = 10'000'000.0f;

DecodedFloat FloatFromRegisters(uint16_t first, uint16_t second,
                                FloatByteOrder order = FloatByteOrder::k0123);
// A configured float (a range, a coefficient, a constant of the
// recalculation program): any finite single float is a value the
// instrument holds; only a NaN or an infinity is broken and gives 0.0.
DecodedFloat ParameterFloatFromRegisters(uint16_t first, uint16_t second);
// The parameter blocks write with order 0; the other orders are there for the
// virtual instrument, which answers in whatever order it is set to.
RegisterPair FloatToRegisters(float value, FloatByteOrder order = FloatByteOrder::k0123);

uint32_t LongFromRegisters(uint16_t first, uint16_t second, WordOrder order);
RegisterPair LongToRegisters(uint32_t value, WordOrder order);

// Most significant word first; doubles have no byte-order option.  A set
// `skip` gives 0.0 without looking at the words (a value the instrument does
// not measure).  NaN and infinities pass through: doubles are not checked.
double DoubleFromRegisters(uint16_t first, uint16_t second, uint16_t third, uint16_t fourth,
                           bool skip = false);
std::array<uint16_t, 4> DoubleToRegisters(double value);

}  // namespace qmx
