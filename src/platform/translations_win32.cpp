#include "platform/translations.h"
#include "platform/win32.h"

namespace routelet::platform {

// Japanese under a Japanese UI language, English under any other: Windows has no C locale, so a
// user always gets one of the two catalogs.
TextLanguage UserLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? TextLanguage::kJapanese : TextLanguage::kEnglish;
}

}  // namespace routelet::platform
