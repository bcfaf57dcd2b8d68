#include "registers/input_parsing.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "registers/number_locale.h"

namespace qmx {
namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The whole text must be the decimal float form; strtod alone would also
// take "inf", "nan", hexadecimal floats and a trailing remainder.
bool IsDecimalFloatText(std::string_view text) {
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t digits = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    ++pos;
    ++digits;
  }
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) {
      ++pos;
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    size_t exponent_digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
      ++pos;
      ++exponent_digits;
    }
    if (exponent_digits == 0) return false;
  }
  return pos == text.size();
}

// Hexadecimal digits, at most 0xFFFFFFFF however many leading zeros.
std::optional<uint32_t> HexDigitsValue(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint64_t>(digit);
    if (value > 0xFFFF'FFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::optional<uint64_t> DecimalDigitsValue(std::string_view digits, uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<double> ParseDouble(std::string_view text) {
  text = TrimBlanks(text);
  if (!IsDecimalFloatText(text)) return std::nullopt;
  const std::string terminated(text);
  CNumericScope c_numeric;
  errno = 0;
  const double value = std::strtod(terminated.c_str(), nullptr);
  // ERANGE also flags underflow, which yields a usable 0 or denormal; only
  // an overflow to infinity is a failed conversion.
  if (errno == ERANGE && std::isinf(value)) return std::nullopt;
  return value;
}

std::optional<float> ParseFloat(std::string_view text) {
  const std::optional<double> value = ParseDouble(text);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.starts_with('$') || text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(text.front() == '$' ? 1 : 2);
    const std::optional<uint32_t> pattern = HexDigitsValue(text);
    if (!pattern) return std::nullopt;
    return static_cast<int32_t>(negative ? 0u - *pattern : *pattern);
  }
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  const std::optional<uint64_t> magnitude = DecimalDigitsValue(text, limit);
  if (!magnitude) return std::nullopt;
  const int64_t value =
      negative ? -static_cast<int64_t>(*magnitude) : static_cast<int64_t>(*magnitude);
  return static_cast<int32_t>(value);
}

std::optional<uint32_t> ParseHexLong(std::string_view text) {
  // Counted in bytes of the UTF-8 text.  Every character before the first
  // non-ASCII one is a single byte, and any non-ASCII character inside the
  // window fails the conversion, so bytes give the same outcome as characters.
  constexpr size_t kWindow = 255;
  std::string digits;
  for (char c : text.substr(0, kWindow)) {
    if (c != '\'' && c != ' ') digits += c;
  }
  return HexDigitsValue(digits);
}

std::optional<uint32_t> ParseUnsignedDecimal(std::string_view text) {
  const std::optional<uint64_t> value = DecimalDigitsValue(TrimBlanks(text), 0xFFFF'FFFFu);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<uint16_t> ParseHexWordDigits(std::string_view digits) {
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<uint16_t>(value);
}

}  // namespace qmx
