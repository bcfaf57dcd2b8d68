// Keystroke filters of the three edit fields that check keys as they are
// typed.  A key comes in as its character code; the filter gives the key to
// insert, possibly changed, or nothing when the key is discarded (Enter
// included).  Backspace (8) and code 12 are let through by all three.
#pragma once

#include <optional>

namespace qmx {

// Edit7, the front-panel menu password: decimal digits only.  Its length limit
// of 4 characters belongs to the field, not to the filter.
std::optional<char32_t> FilterEdit7Key(char32_t key);

struct AdcCodeKey {
  std::optional<char32_t> key;
  // The field is to be painted in the change-marking colour (cyan): the
  // accepted key changes its text.  Pasted text changes it too, which the
  // field itself has to notice.
  bool mark_changed = false;
};

// Edit17, the lower limit of ADC codes: hexadecimal digits, lower-case a-f
// entered as upper case.
AdcCodeKey FilterEdit17Key(char32_t key);

// Edit18, the upper limit of ADC codes: as Edit17 without the colour mark.
std::optional<char32_t> FilterEdit18Key(char32_t key);

}  // namespace qmx
