// Number texts of the profile and recalculation-program files.  These files
// travel between machines, so they must read and write "12.5" whatever the
// desktop's locale says; everything here is built on std::from_chars and
// std::to_chars, which never consult the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qmx {

// The "%E" scan: leading blanks and one sign are skipped, then the longest
// decimal or exponent-notation number is taken and the rest is ignored
// ("1.5E2xyz" is 150).  A text without a number gives 0.0, and so does one
// whose value is not finite ("inf", "nan", 1E50 as a single float), because
// such a value would later be sent to the instrument as it is.
float ScanFloatText(std::string_view text);
double ScanDoubleText(std::string_view text);

// What the "%E" scan of ScanDoubleText finds before it gives 0.0 for a
// value that is not finite: no number at all, a finite number (one below
// the smallest double is 0.0), or one that is not finite ("inf", "nan", or
// beyond the double range, as "1e400"; `value` is then an infinity or NaN
// with the text's sign).
struct RealScan {
  enum class Kind { kNoNumber, kFinite, kNotFinite };
  Kind kind = Kind::kNoNumber;
  double value = 0.0;
};
RealScan ScanRealText(std::string_view text);

// The "%x" scan, cut to 16 bits: leading blanks, an optional "0x" or "0X",
// then hexadecimal digits up to the first other character.  A text that does
// not start with a hexadecimal digit (after the prefix) gives 0, so "0.0" is 0.
uint16_t ScanHexWord(std::string_view text);

// printf "%-<width>.<precision>f": fixed notation, "." as decimal point,
// padded with blanks on the right to at least `width` characters.
std::string FormatFixedLeft(double value, int precision, int width);

// "%-5.2f" and "%-11.4f", the two float forms of the settings files.
inline std::string FormatFloatShortText(double value) {
  return FormatFixedLeft(value, 2, 5);
}
inline std::string FormatFloatStandardText(double value) {
  return FormatFixedLeft(value, 4, 11);
}

// "0x%04x": lower-case digits, at least four of them.
std::string FormatHexWordText(uint16_t value);

}  // namespace qmx
