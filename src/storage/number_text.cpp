#include "storage/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace qmx {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Past the leading blanks and one sign (`negative` says which); npos when a
// second sign follows, which is no number.
size_t NumberStart(std::string_view text, bool* negative) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  *negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    *negative = text[pos] == '-';
    ++pos;
  }
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return std::string_view::npos;
  return pos;
}

template <typename T>
T ScanReal(std::string_view text) {
  bool negative = false;
  // from_chars takes a "-" of its own; after the sign already taken, a
  // second sign is not a number.
  const size_t pos = NumberStart(text, &negative);
  if (pos == std::string_view::npos) return T{0};
  T value{};
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || end == first || !std::isfinite(value)) return T{0};
  return negative ? -value : value;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// For a number text too large or too small for a double: true when it is
// too large.  Only the decimal exponent of its first significant digit is
// needed, and the two cases lie more than 600 decades apart.
bool BeyondTheLargest(std::string_view number) {
  size_t pos = 0;
  long integer_digits = 0;
  long zeros_after_point = 0;
  bool significant = false;
  bool after_point = false;
  for (; pos < number.size(); ++pos) {
    const char c = number[pos];
    if (c == '.') {
      after_point = true;
      continue;
    }
    if (!IsDigit(c)) break;
    if (!significant && c == '0') {
      if (after_point) ++zeros_after_point;
      continue;
    }
    significant = true;
    if (!after_point) ++integer_digits;
  }
  long exponent = 0;
  if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
    ++pos;
    bool negative = false;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
      negative = number[pos] == '-';
      ++pos;
    }
    constexpr long kFarEnough = 100000;
    for (; pos < number.size() && IsDigit(number[pos]); ++pos) {
      if (exponent < kFarEnough) exponent = exponent * 10 + (number[pos] - '0');
    }
    if (negative) exponent = -exponent;
  }
  const long first_digit = integer_digits > 0 ? integer_digits - 1 : -(zeros_after_point + 1);
  return first_digit + exponent > 0;
}

}  // namespace

RealScan ScanRealText(std::string_view text) {
  bool negative = false;
  const size_t pos = NumberStart(text, &negative);
  RealScan scan;
  if (pos == std::string_view::npos) return scan;
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  double value = 0.0;
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (end == first || ec == std::errc::invalid_argument) return scan;
  if (ec == std::errc::result_out_of_range) {
    const bool huge = BeyondTheLargest(std::string_view(first, static_cast<size_t>(end - first)));
    value = huge ? HUGE_VAL : 0.0;
  }
  scan.kind = std::isfinite(value) ? RealScan::Kind::kFinite : RealScan::Kind::kNotFinite;
  scan.value = negative ? -value : value;
  return scan;
}

float ScanFloatText(std::string_view text) {
  return ScanReal<float>(text);
}

double ScanDoubleText(std::string_view text) {
  return ScanReal<double>(text);
}

uint16_t ScanHexWord(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
      HexDigitValue(text[pos + 2]) >= 0) {
    pos += 2;
  }
  uint16_t value = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = HexDigitValue(text[pos]);
    if (digit < 0) break;
    // Only the low 16 bits are kept, as when a longer number is cut to a word.
    value = static_cast<uint16_t>((value << 4) | digit);
  }
  return value;
}

std::string FormatFixedLeft(double value, int precision, int width) {
  std::array<char, 400> buffer;
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, precision);
  std::string text = ec == std::errc() ? std::string(buffer.data(), end) : std::string();
  if (static_cast<int>(text.size()) < width) text.append(width - text.size(), ' ');
  return text;
}

std::string FormatHexWordText(uint16_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "0x0000";
  for (int i = 5; i >= 2; --i) {
    text[i] = kDigits[value & 0xF];
    value = static_cast<uint16_t>(value >> 4);
  }
  return text;
}

}  // namespace qmx
