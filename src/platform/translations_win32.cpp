#include <cstdlib>

#include "platform/translations.h"
#include "platform/win32.h"

namespace routelet::platform {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

// Windows' UI language: Japanese under a Japanese one, English under any other. Where the
// environment names a locale (LC_ALL, LC_MESSAGES or LANG, as a POSIX-style shell or wine sets
// them), it decides as on POSIX, so that LANG=C gives each text as written there too.
TextLanguage UserLanguage() {
  const std::string_view lcAll = Variable("LC_ALL"), lcMessages = Variable("LC_MESSAGES"), lang = Variable("LANG");
  if (!lcAll.empty() || !lcMessages.empty() || !lang.empty()) {
    return LanguageOfLocale(Variable("LANGUAGE"), lcAll, lcMessages, lang);
  }
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? TextLanguage::kJapanese : TextLanguage::kEnglish;
}

}  // namespace routelet::platform
