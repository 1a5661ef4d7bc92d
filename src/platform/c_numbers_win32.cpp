#include "platform/c_numbers.h"

#include <cstdlib>

namespace routelet::platform {

// The Windows program never sets a locale (its texts need no gettext), so the C runtime's stays
// "C" and plain strtod reads as the "C" locale does.
double StrtodInCLocale(const char* number) { return std::strtod(number, nullptr); }

}  // namespace routelet::platform
