// Numbers on the instrument's pages, in its settings files and in the record
// files always use "." as the decimal point.  The window calls
// setlocale(LC_ALL, "") for its own texts, so on a Russian desktop the C
// library would otherwise print and read "12,5".  The scope below switches
// only the calling thread to the "C" locale; the process locale and other
// threads are left alone.
#pragma once

#include <locale.h>

namespace qmx {

class CNumericScope {
 public:
  CNumericScope();
  ~CNumericScope();
  CNumericScope(const CNumericScope&) = delete;
  CNumericScope& operator=(const CNumericScope&) = delete;

 private:
  locale_t previous_{};
};

}  // namespace qmx
