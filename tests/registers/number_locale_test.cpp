// The window sets the desktop's locale for its own texts; on a Russian
// desktop the C library's decimal point is then ",".  Numbers on the pages,
// in the files and in typed input must keep ".".
#include "registers/number_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

std::string LibraryText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

class CommaLocaleTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr) {
      if (std::getenv("QMX_ALLOW_MISSING_LOCALE") != nullptr) {
        GTEST_SKIP() << "ru_RU.UTF-8 is not installed";
      }
      FAIL() << "ru_RU.UTF-8 is not installed (locale-gen), or set QMX_ALLOW_MISSING_LOCALE";
    }
    // Without this the test would prove nothing.
    ASSERT_EQ(LibraryText(12.5), "12,5");
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocaleTest, FormatsKeepTheDecimalPoint) {
  EXPECT_EQ(FormatFloatStandard(12.5), "12.5000    ");
  EXPECT_EQ(FormatFloatScientific(1.5), "1.500000E+00");
  EXPECT_EQ(FormatFloatShort(5), "5.00 ");
  EXPECT_EQ(FormatDouble(1234.5), "1234.5000               ");
  EXPECT_EQ(FormatFloatPlain(2.5), "2.500000");
  EXPECT_EQ(FormatLongDecimal(4294967295u), "4294967295");  // no digit grouping either
}

TEST_F(CommaLocaleTest, ParsingKeepsTheDecimalPoint) {
  EXPECT_EQ(ParseFloat("12.5"), 12.5f);
  EXPECT_EQ(ParseFloat("1.25E1"), 12.5f);
  EXPECT_EQ(ParseDouble("-0.125"), -0.125);
  EXPECT_FALSE(ParseFloat("12,5").has_value());
  EXPECT_FALSE(ParseDouble("1,25E1").has_value());
}

TEST_F(CommaLocaleTest, TheThreadGetsItsLocaleBackAfterAConversion) {
  ASSERT_EQ(FormatFloatShort(1.5), "1.50 ");
  EXPECT_EQ(LibraryText(12.5), "12,5");
  {
    CNumericScope scope;
    EXPECT_EQ(LibraryText(12.5), "12.5");
    // Nested use, as when a conversion runs inside another's scope.
    { CNumericScope inner; }
    EXPECT_EQ(LibraryText(12.5), "12.5");
    // Other threads keep the process locale.
    std::string other_thread;
    std::thread([&] { other_thread = LibraryText(12.5); }).join();
    EXPECT_EQ(other_thread, "12,5");
  }
  EXPECT_EQ(LibraryText(12.5), "12,5");
}

}  // namespace
}  // namespace qmx
