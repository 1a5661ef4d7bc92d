#include <cstdlib>

#include "platform/translations.h"

namespace routelet::platform {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

TextLanguage UserLanguage() {
  return LanguageOfLocale(Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"));
}

}  // namespace routelet::platform
