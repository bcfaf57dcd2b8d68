#include "registers/input_parsing.h"

#include <gtest/gtest.h>

#include <string>

namespace qmx {
namespace {

TEST(ParseFloatTest, AcceptsDecimalAndExponentFormsWithBlanksAround) {
  EXPECT_EQ(ParseFloat("12.5"), 12.5f);
  EXPECT_EQ(ParseFloat("1.25E1"), 12.5f);
  EXPECT_EQ(ParseFloat("1.25e+1"), 12.5f);
  EXPECT_EQ(ParseFloat("125E-1"), 12.5f);
  EXPECT_EQ(ParseFloat("  -3.5 "), -3.5f);
  EXPECT_EQ(ParseFloat("\t+.5\t"), 0.5f);
  EXPECT_EQ(ParseFloat("5."), 5.0f);
  EXPECT_EQ(ParseFloat("0"), 0.0f);
  EXPECT_EQ(ParseFloat("1e-60"), 0.0f);  // underflow is a value, not a failure
  EXPECT_EQ(ParseDouble("0.1"), 0.1);    // exactly the nearest double
}

TEST(ParseFloatTest, RefusesCommaSpecialValuesAndStrayText) {
  for (const char* text : {"",    "   ",   "12,5",    "1,25E1", "inf", "-inf",  "INF", "infinity",
                           "nan", "NAN",   "0x1p3",   "1e",     "1e+", "E5",    ".",   "-",
                           "+",   "1.2.3", "12.5abc", "1 2",    "--1", "1_000", "１２"}) {
    EXPECT_FALSE(ParseFloat(text).has_value()) << '"' << text << '"';
    EXPECT_FALSE(ParseDouble(text).has_value()) << '"' << text << '"';
  }
}

TEST(ParseFloatTest, RefusesMagnitudesTheTypeCannotHold) {
  EXPECT_FALSE(ParseFloat("1e39").has_value());  // would reach the instrument as infinity
  EXPECT_FALSE(ParseFloat("-1e39").has_value());
  EXPECT_EQ(ParseFloat("3.4e38"), 3.4e38f);
  EXPECT_EQ(ParseDouble("1e39"), 1e39);
  EXPECT_FALSE(ParseDouble("1e400").has_value());
}

TEST(ParseIntegerTest, DecimalAndHexadecimalForms) {
  EXPECT_EQ(ParseInteger("42"), 42);
  EXPECT_EQ(ParseInteger(" -17 "), -17);
  EXPECT_EQ(ParseInteger("+5"), 5);
  EXPECT_EQ(ParseInteger("007"), 7);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInteger("$FF"), 255);
  EXPECT_EQ(ParseInteger("0x10"), 16);
  EXPECT_EQ(ParseInteger("0XfF"), 255);
  EXPECT_EQ(ParseInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseInteger("-$10"), -16);
  EXPECT_EQ(ParseInteger("$80000000"), INT32_MIN);
}

TEST(ParseIntegerTest, RefusesOutOfRangeAndMalformedText) {
  for (const char* text :
       {"", " ", "2147483648", "-2147483649", "99999999999999999999", "12.5", "1e3", "$", "0x",
        "$123456789", "$G", "--1", "+-1", "1 2", "12,5", "- 1", "x10"}) {
    EXPECT_FALSE(ParseInteger(text).has_value()) << '"' << text << '"';
  }
}

TEST(ParseHexLongTest, DropsApostrophesAndBlanks) {
  EXPECT_EQ(ParseHexLong("1 ' 0000"), 0x10000u);
  EXPECT_EQ(ParseHexLong("1234 ' 5678"), 0x12345678u);
  EXPECT_EQ(ParseHexLong("12345678"), 0x12345678u);
  EXPECT_EQ(ParseHexLong("1234 5678"), 0x12345678u);
  EXPECT_EQ(ParseHexLong("abcdef"), 0xABCDEFu);
  EXPECT_EQ(ParseHexLong("FFFF'FFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseHexLong("000000001"), 1u);  // leading zeros do not count against the width
}

TEST(ParseHexLongTest, RefusesEmptyOversizedAndNonHexText) {
  for (const char* text :
       {"", "'", " ' ' ", "100000000", "12G4", "0x12", "$12", "-1", "+1", "12\t34", "1,0"}) {
    EXPECT_FALSE(ParseHexLong(text).has_value()) << '"' << text << '"';
  }
}

TEST(ParseHexLongTest, LooksAtTheFirst255CharactersOnly) {
  // Of "12" after 254 blanks only the "1" is inside the window.
  EXPECT_EQ(ParseHexLong(std::string(254, ' ') + "12"), 0x1u);
  EXPECT_EQ(ParseHexLong(std::string(254, '\'') + "1Z"), 0x1u);
  EXPECT_FALSE(ParseHexLong(std::string(255, ' ') + "1").has_value());
  EXPECT_EQ(ParseHexLong(std::string(250, ' ') + "1 ' 0000"), 0x10u);
}

TEST(ParseUnsignedDecimalTest, DigitsOnlyWithinThirtyTwoBits) {
  EXPECT_EQ(ParseUnsignedDecimal("0"), 0u);
  EXPECT_EQ(ParseUnsignedDecimal(" 17 "), 17u);
  EXPECT_EQ(ParseUnsignedDecimal("4294967295"), 4294967295u);
  for (const char* text :
       {"", "4294967296", "18446744073709551617", "-1", "+1", "0x10", "1.0", "1 000"}) {
    EXPECT_FALSE(ParseUnsignedDecimal(text).has_value()) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace qmx
