#include "registers/value_formats.h"

#include <gtest/gtest.h>

#include "registers/input_parsing.h"

namespace qmx {
namespace {

TEST(ValueFormatsTest, FloatFormsPadOnTheRightToTheirWidth) {
  EXPECT_EQ(FormatFloatStandard(12.5), "12.5000    ");
  EXPECT_EQ(FormatFloatStandard(-3.14159), "-3.1416    ");
  EXPECT_EQ(FormatFloatStandard(12345678.5), "12345678.5000");  // wider than 11: not cut
  EXPECT_EQ(FormatFloatShort(5), "5.00 ");
  EXPECT_EQ(FormatFloatShort(99.999), "100.00");
  EXPECT_EQ(FormatDouble(1234.5), "1234.5000               ");
  EXPECT_EQ(FormatDouble(1234.5).size(), 24u);
  EXPECT_EQ(FormatFloatPlain(2.5), "2.500000");
  EXPECT_EQ(FormatFloatPlain(-0.0000004), "-0.000000");
}

TEST(ValueFormatsTest, ScientificHasUpperCaseExponentOfAtLeastTwoDigits) {
  EXPECT_EQ(FormatFloatScientific(1.5), "1.500000E+00");
  EXPECT_EQ(FormatFloatScientific(-2.5e-5), "-2.500000E-05");
  EXPECT_EQ(FormatFloatScientific(1e100), "1.000000E+100");
  EXPECT_EQ(FormatFloatScientific(0.0), "0.000000E+00");
}

TEST(ValueFormatsTest, WordAndLongForms) {
  EXPECT_EQ(FormatWordHexPrefixed(0xA3), "0x00a3");
  EXPECT_EQ(FormatWordHexPrefixed(0xBEEF), "0xbeef");
  EXPECT_EQ(FormatWordHex(0x1F), "001F");
  EXPECT_EQ(FormatWordHex(0xBEEF), "BEEF");
  EXPECT_EQ(FormatWordHexPrefixedUpper(0xA3), "0x00A3");
  EXPECT_EQ(FormatWordHexPrefixedUpper(0), "0x0000");
  EXPECT_EQ(FormatLongDecimal(0), "0");
  EXPECT_EQ(FormatLongDecimal(4294967295u), "4294967295");
}

TEST(GroupedHexTest, SplitsBeforeTheLastFourDigitsFromFiveDigitsOn) {
  EXPECT_EQ(GroupedHex(0x12345678), "1234 ' 5678");
  EXPECT_EQ(GroupedHex(0x1ABCD), "1 ' ABCD");
  EXPECT_EQ(GroupedHex(0x10000), "1 ' 0000");
  EXPECT_EQ(GroupedHex(0xFFFF), "FFFF");
  EXPECT_EQ(GroupedHex(0xabc), "ABC");
  EXPECT_EQ(GroupedHex(0), "0");
  EXPECT_EQ(GroupedHex(0xFFFFFFFF), "FFFF ' FFFF");
}

TEST(GroupedHexTest, TextTypedBackAsShownGivesTheSameValue) {
  for (uint32_t value : {0u, 0xFu, 0xFFFFu, 0x10000u, 0x1ABCDu, 0x12345678u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ParseHexLong(GroupedHex(value)), value) << GroupedHex(value);
  }
}

TEST(ScanHexTest, ReadsLikePercentXAndGivesZeroForUnreadableCells) {
  EXPECT_EQ(ScanHex("0x00A3"), 0xA3u);
  EXPECT_EQ(ScanHex("0X00a3"), 0xA3u);
  EXPECT_EQ(ScanHex("00a3"), 0xA3u);
  EXPECT_EQ(ScanHex("  1F"), 0x1Fu);
  EXPECT_EQ(ScanHex("12G4"), 0x12u);  // stops at the first non-digit
  EXPECT_EQ(ScanHex("0.0"), 0u);
  EXPECT_EQ(ScanHex(""), 0u);
  EXPECT_EQ(ScanHex("zz"), 0u);
  EXPECT_EQ(ScanHex("0xZ"), 0u);
  EXPECT_EQ(ScanHex("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ScanHex("123456789A"), 0x3456789Au);  // low 32 bits of a long run
}

}  // namespace
}  // namespace qmx
