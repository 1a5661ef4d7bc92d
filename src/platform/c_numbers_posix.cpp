#include "platform/c_numbers.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace routelet::platform {

double StrtodInCLocale(const char* number) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(number, nullptr, cLocale);
}

}  // namespace routelet::platform
