// The texts in which the program shows register values, in its pages, its
// settings files and its record files.  Each is one printf format; the left-
// justified ones pad with blanks on the right to their width, and the
// decimal point is always "." whatever the desktop locale.
//
// The scientific form is the C library's "%-E": six decimals, upper-case E,
// a signed exponent of at least two digits (1.500000E+00, 1.000000E+100).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qmx {

std::string FormatFloatStandard(double value);    // "%-11.4f", most floats
std::string FormatFloatScientific(double value);  // "%-E", calibration coefficients
std::string FormatFloatShort(double value);       // "%-5.2f", percentages
std::string FormatDouble(double value);           // "%-24.4f", accumulated volumes
std::string FormatFloatPlain(double value);       // "%f", recalculation constants

std::string FormatWordHexPrefixed(uint32_t value);       // "0x%04x", words in settings files
std::string FormatWordHex(uint32_t value);               // "%04X", status words and codes
std::string FormatWordHexPrefixedUpper(uint32_t value);  // "0x%04X", recalculation program
std::string FormatLongDecimal(uint32_t value);           // "%u"

// The items of a number list from `first` to `last`: "%3u" (addresses,
// averaging) when `padded`, else "%u" (days, months, years).
std::vector<std::string> NumberListItems(unsigned first, unsigned last, bool padded);

// Upper-case hexadecimal without leading zeros; from five digits on, the last
// four are set apart by " ' " so that long ADC codes stay readable:
// 0x12345678 -> "1234 ' 5678", 0xFFFF -> "FFFF".  ParseHexLong reads it back.
std::string GroupedHex(uint32_t value);

// Reads a hexadecimal cell back the way "%x" scans it: leading white space,
// an optional sign, an optional 0x or 0X, then hexadecimal digits up to the
// first other character.  Text that does not get to a digit gives 0, a minus
// sign negates modulo 2^32, and digits beyond the eighth keep the low 32 bits
// (so the low 16 bits an operation code takes are those of the last four
// digits typed).
uint32_t ScanHex(std::string_view text);

}  // namespace qmx
