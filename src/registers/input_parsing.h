// Checks what the operator typed before anything is written to the
// instrument.  Each conversion gives no value when the text is refused; the
// caller then shows the field's failure text with kInputErrorCaption, then
// kWriteAbandonedText with kWriteAbandonedCaption, and writes nothing.
//
// The forms accepted are those an operator used to the Windows tool expects
// (its StrToFloat and StrToInt), with "." as the decimal point on every
// desktop.  A blank is any character with a code up to 32 (space, tab, line
// ends); blanks around the number are ignored.
//
// ParseFloat / ParseDouble: an optional sign, decimal digits with at most one
// ".", at least one digit ("5.", ".5" and "-.5" pass), then an optional
// exponent "E" or "e" with an optional sign and at least one digit.  Refused:
// empty text, "12,5", "inf", "nan", hexadecimal floats, digit grouping, any
// other character.  A magnitude the type cannot hold is refused (above
// 3.4e38 for ParseFloat, which would reach the instrument as infinity); a
// value too small to represent becomes 0 or the nearest denormal.
//
// ParseInteger: an optional sign, then decimal digits, or a "$", "0x" or
// "0X" prefix and 1..8 hexadecimal digits.  Decimal values must lie within
// -2147483648..2147483647.  A hexadecimal number is the 32-bit pattern, so
// "$FFFFFFFF" is -1 and "-$10" is -16.  Anything else, the empty text
// included, is refused.
//
// ParseHexLong: apostrophes and blanks (" " only) are dropped from the first
// 255 characters and everything after them is ignored; what remains must be
// one or more hexadecimal digits (either case, no prefix, no sign) worth at
// most 0xFFFFFFFF.  So "1234 ' 5678", "12345678" and "1234 5678" all give
// 0x12345678.
//
// ParseUnsignedDecimal: decimal digits only (no sign), 0..4294967295.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qmx {

inline constexpr std::string_view kFloatInputError =
    "Вводимые данные не получается представить плавающим числом.";
inline constexpr std::string_view kIntegerInputError =
    "Вводимые данные не получается представить целым числом.";
inline constexpr std::string_view kLongInputError =
    "Вводимые данные не получается представить длинным целым числом.";
inline constexpr std::string_view kInputErrorCaption = "Ошибка ввода";
inline constexpr std::string_view kWriteAbandonedText = "Запись данных не будет производиться.";
inline constexpr std::string_view kWriteAbandonedCaption = "Сообщение";

// A float field of a parameter block (a single float on the instrument).
std::optional<float> ParseFloat(std::string_view text);
// The same text rules for values the program keeps as doubles.
std::optional<double> ParseDouble(std::string_view text);
std::optional<int32_t> ParseInteger(std::string_view text);
std::optional<uint32_t> ParseHexLong(std::string_view text);
std::optional<uint32_t> ParseUnsignedDecimal(std::string_view text);
// One to four hexadecimal digits and nothing else (no blanks, no prefix).
std::optional<uint16_t> ParseHexWordDigits(std::string_view digits);
// The text without the blanks and control characters around it.
std::string_view TrimBlanks(std::string_view text);

}  // namespace qmx
