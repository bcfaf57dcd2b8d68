#include "registers/key_filters.h"

namespace qmx {
namespace {

constexpr char32_t kBackspace = 8;
// No ordinary keyboard produces it; letting it through keeps the fields
// accepting exactly what operators of the earlier tool could type.
constexpr char32_t kFormFeed = 12;

bool IsEditingControl(char32_t key) {
  return key == kBackspace || key == kFormFeed;
}
bool IsDecimalDigit(char32_t key) {
  return key >= U'0' && key <= U'9';
}

std::optional<char32_t> FilterHexKey(char32_t key) {
  if (key >= U'a' && key <= U'f') key = key - U'a' + U'A';
  if (IsDecimalDigit(key) || (key >= U'A' && key <= U'F') || IsEditingControl(key)) return key;
  return std::nullopt;
}

}  // namespace

std::optional<char32_t> FilterEdit7Key(char32_t key) {
  if (IsDecimalDigit(key) || IsEditingControl(key)) return key;
  return std::nullopt;
}

AdcCodeKey FilterEdit17Key(char32_t key) {
  const std::optional<char32_t> accepted = FilterHexKey(key);
  return {accepted, accepted.has_value()};
}

std::optional<char32_t> FilterEdit18Key(char32_t key) {
  return FilterHexKey(key);
}

}  // namespace qmx
