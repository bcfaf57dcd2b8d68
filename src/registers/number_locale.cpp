#include "registers/number_locale.h"

namespace qmx {
namespace {

// Made once and kept for the whole run: every conversion needs it, and a
// locale object is cheap to keep but not to build.
locale_t CLocale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c_locale;
}

}  // namespace

CNumericScope::CNumericScope() {
  // newlocale fails only when memory runs out; then the thread keeps its
  // locale rather than the scope failing.
  if (locale_t c_locale = CLocale(); c_locale != locale_t{}) previous_ = uselocale(c_locale);
}

CNumericScope::~CNumericScope() {
  if (previous_ != locale_t{}) uselocale(previous_);
}

}  // namespace qmx
