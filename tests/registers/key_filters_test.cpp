#include "registers/key_filters.h"

#include <gtest/gtest.h>

namespace qmx {
namespace {

bool IsDigit(char32_t key) {
  return key >= U'0' && key <= U'9';
}
bool IsUpperHex(char32_t key) {
  return IsDigit(key) || (key >= U'A' && key <= U'F');
}

// Everything up to the Cyrillic block, where a Russian keyboard layout puts
// the letters that sit on the A-F keys.
constexpr char32_t kLastKeyTried = 0x04FF;

TEST(KeyFilterTest, Edit7TakesDigitsBackspaceAndCode12Only) {
  for (char32_t key = 0; key <= kLastKeyTried; ++key) {
    const bool expected = IsDigit(key) || key == 8 || key == 12;
    const std::optional<char32_t> out = FilterEdit7Key(key);
    EXPECT_EQ(out.has_value(), expected) << static_cast<uint32_t>(key);
    if (out) {
      EXPECT_EQ(*out, key);
    }
  }
}

TEST(KeyFilterTest, Edit17UpperCasesHexLettersAndMarksTheChange) {
  const AdcCodeKey a = FilterEdit17Key(U'a');
  EXPECT_EQ(a.key, U'A');
  EXPECT_TRUE(a.mark_changed);
  EXPECT_EQ(FilterEdit17Key(U'f').key, U'F');
  EXPECT_EQ(FilterEdit17Key(U'7').key, U'7');

  for (char32_t key : {U'G', U'-'}) {
    const AdcCodeKey refused = FilterEdit17Key(key);
    EXPECT_FALSE(refused.key.has_value());
    EXPECT_FALSE(refused.mark_changed);
  }
  const AdcCodeKey backspace = FilterEdit17Key(8);
  EXPECT_EQ(backspace.key, char32_t{8});
  EXPECT_TRUE(backspace.mark_changed);
}

TEST(KeyFilterTest, Edit17AndEdit18AcceptExactlyTheHexKeys) {
  for (char32_t key = 0; key <= kLastKeyTried; ++key) {
    const bool lower_hex = key >= U'a' && key <= U'f';
    const bool expected = IsUpperHex(key) || lower_hex || key == 8 || key == 12;
    const char32_t entered = lower_hex ? key - U'a' + U'A' : key;
    const AdcCodeKey edit17 = FilterEdit17Key(key);
    const std::optional<char32_t> edit18 = FilterEdit18Key(key);
    EXPECT_EQ(edit17.key.has_value(), expected) << static_cast<uint32_t>(key);
    EXPECT_EQ(edit17.mark_changed, expected) << static_cast<uint32_t>(key);
    EXPECT_EQ(edit18, edit17.key) << static_cast<uint32_t>(key);
    if (expected) {
      EXPECT_EQ(edit17.key, entered);
    }
  }
}

}  // namespace
}  // namespace qmx
