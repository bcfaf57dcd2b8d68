#include "registers/value_formats.h"

#include <cstdarg>
#include <cstdio>

#include "registers/number_locale.h"

namespace qmx {
namespace {

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
  CNumericScope c_numeric;
  va_list args;
  va_start(args, format);
  va_list args_again;
  va_copy(args_again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args_again);
  }
  va_end(args_again);
  return text;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsCSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string FormatFloatStandard(double value) {
  return Format("%-11.4f", value);
}
std::string FormatFloatScientific(double value) {
  return Format("%-E", value);
}
std::string FormatFloatShort(double value) {
  return Format("%-5.2f", value);
}
std::string FormatDouble(double value) {
  return Format("%-24.4f", value);
}
std::string FormatFloatPlain(double value) {
  return Format("%f", value);
}

std::string FormatWordHexPrefixed(uint32_t value) {
  return Format("0x%04x", value);
}
std::string FormatWordHex(uint32_t value) {
  return Format("%04X", value);
}
std::string FormatWordHexPrefixedUpper(uint32_t value) {
  return Format("0x%04X", value);
}
std::string FormatLongDecimal(uint32_t value) {
  return Format("%u", value);
}

std::string GroupedHex(uint32_t value) {
  std::string digits = Format("%X", value);
  if (digits.size() < 5) return digits;
  digits.insert(digits.size() - 4, " ' ");
  return digits;
}

uint32_t ScanHex(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // The prefix counts only when a digit follows; "0xZ" is the number 0.
  if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
      HexDigitValue(text[pos + 2]) >= 0) {
    pos += 2;
  }
  uint32_t value = 0;
  for (; pos < text.size() && HexDigitValue(text[pos]) >= 0; ++pos) {
    value = value << 4 | static_cast<uint32_t>(HexDigitValue(text[pos]));
  }
  return negative ? 0u - value : value;
}

std::vector<std::string> NumberListItems(unsigned first, unsigned last, bool padded) {
  std::vector<std::string> items;
  for (unsigned n = first; n <= last; ++n) {
    char text[16];
    std::snprintf(text, sizeof text, padded ? "%3u" : "%u", n);
    items.emplace_back(text);
  }
  return items;
}

}  // namespace qmx
