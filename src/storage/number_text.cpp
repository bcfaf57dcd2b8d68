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

template <typename T>
T ScanReal(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // from_chars takes a "-" of its own; after the sign already taken, a
  // second sign is not a number.
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return T{0};
  T value{};
  const char* first = text.data() + pos;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || end == first || !std::isfinite(value)) return T{0};
  return negative ? -value : value;
}

}  // namespace

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
