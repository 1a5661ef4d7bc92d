#include "platform/translations.h"
#include "platform/win32.h"

namespace routelet::platform {

// Japanese under a Japanese UI language. Any other keeps the texts as written (the command line's
// in English, the run's messages in Japanese) until the Windows program takes the English
// catalog too.
TextLanguage UserLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? TextLanguage::kJapanese : TextLanguage::kAsWritten;
}

}  // namespace routelet::platform
