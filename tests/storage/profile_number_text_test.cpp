#include <gtest/gtest.h>
#include <locale.h>
#include <stdio.h>

#include <cmath>
#include <string>

#include "storage/number_text.h"

namespace qmx {
namespace {

TEST(ProfileNumberText, FloatScanTakesTheLeadingNumberOnly) {
  EXPECT_FLOAT_EQ(ScanFloatText(" \t+1.5e1xyz"), 15.0F);
  EXPECT_FLOAT_EQ(ScanFloatText("-.5"), -0.5F);
  EXPECT_FLOAT_EQ(ScanFloatText("1.5E2"), 150.0F);
  EXPECT_FLOAT_EQ(ScanFloatText("7 8"), 7.0F);
  EXPECT_FLOAT_EQ(ScanFloatText("3,75"), 3.0F);
  for (const char* text : {"", "abc", "+-1", "--1", ".", "e5", "inf", "-INF", "nan", "1e50"}) {
    EXPECT_EQ(ScanFloatText(text), 0.0F) << text;
  }
  // What a single float cannot hold a double still can.
  EXPECT_EQ(ScanDoubleText("1e50"), 1e50);
  EXPECT_EQ(ScanDoubleText("0.1"), 0.1);
  EXPECT_EQ(ScanDoubleText("1e400"), 0.0);
}

TEST(ProfileNumberText, RealScanTellsNoNumberFromANumberThatIsNotFinite) {
  using Kind = RealScan::Kind;
  const double kInf = HUGE_VAL;
  const struct {
    const char* text;
    Kind kind;
    double value;
  } cases[] = {{"", Kind::kNoNumber, 0.0},
               {"abc", Kind::kNoNumber, 0.0},
               {"+-1", Kind::kNoNumber, 0.0},
               {" -2.5e1x", Kind::kFinite, -25.0},
               {"1e308", Kind::kFinite, 1e308},
               {"1e-400", Kind::kFinite, 0.0},
               {"0.0000e999", Kind::kFinite, 0.0},
               {"1e400", Kind::kNotFinite, kInf},
               {"-923.4e306", Kind::kNotFinite, -kInf},
               {"0.001e311", Kind::kFinite, 1e308},
               {"0.0001e-320", Kind::kFinite, 0.0},
               {"-inf", Kind::kNotFinite, -kInf},
               {"INFINITY", Kind::kNotFinite, kInf}};
  for (const auto& c : cases) {
    const RealScan scan = ScanRealText(c.text);
    EXPECT_EQ(scan.kind, c.kind) << c.text;
    EXPECT_DOUBLE_EQ(scan.value, c.value) << c.text;
  }
  EXPECT_EQ(ScanRealText("nan").kind, Kind::kNotFinite);
  EXPECT_TRUE(std::isnan(ScanRealText("-nan").value));
}

TEST(ProfileNumberText, HexScanFollowsPercentX) {
  EXPECT_EQ(ScanHexWord("0xa3"), 0xA3);
  EXPECT_EQ(ScanHexWord("  A3"), 0xA3);
  EXPECT_EQ(ScanHexWord("0XfFfF"), 0xFFFF);
  EXPECT_EQ(ScanHexWord("fedcba98"), 0xBA98);
  EXPECT_EQ(ScanHexWord("12 34"), 0x12);
  for (const char* text : {"", "0.0", "0x", "0xg", "x1", "-1", "g"}) {
    EXPECT_EQ(ScanHexWord(text), 0) << text;
  }
}

TEST(ProfileNumberText, FixedFormsMatchPrintfInTheCLocale) {
  const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  ASSERT_NE(c_locale, nullptr);
  const locale_t previous = uselocale(c_locale);
  const double samples[] = {0.0,    -0.0,   1.5,      -1.25,      2.675,   0.125, 0.005,
                            0.015,  99.995, 123456.0, 1e-7,       -1e-7,   1e20,  3.14159265,
                            65535., 0.1F,   -7.77777, 12345.6789, 0.00005, 1e-5};
  for (double value : samples) {
    char expected[128];
    snprintf(expected, sizeof expected, "%-5.2f", value);
    EXPECT_EQ(FormatFloatShortText(value), expected) << value;
    snprintf(expected, sizeof expected, "%-11.4f", value);
    EXPECT_EQ(FormatFloatStandardText(value), expected) << value;
  }
  uselocale(previous);
  freelocale(c_locale);
  EXPECT_EQ(FormatFloatShortText(0.0), "0.00 ");
  EXPECT_EQ(FormatFloatStandardText(2.5), "2.5000     ");
}

TEST(ProfileNumberText, HexWordForm) {
  EXPECT_EQ(FormatHexWordText(0xA3), "0x00a3");
  EXPECT_EQ(FormatHexWordText(0), "0x0000");
  EXPECT_EQ(FormatHexWordText(0xBEEF), "0xbeef");
}

}  // namespace
}  // namespace qmx
