#include "platform/translations.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/win32.h"

namespace routelet::platform {
namespace {

struct Translation {
  std::string_view English;
  const char* Text;
};

// Sorted by the English text; generated at build time from po/ja.po (po_to_table.py).
constexpr Translation kJapanese[] = {
#include "ja_texts.inc"
};

}  // namespace

const char* TranslatedText(const char* english) {
  static const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  if (!japanese) return english;
  const std::string_view key(english);
  const auto* found = std::lower_bound(std::begin(kJapanese), std::end(kJapanese), key,
                                       [](const Translation& entry, std::string_view wanted) { return entry.English < wanted; });
  return found != std::end(kJapanese) && found->English == key ? found->Text : english;
}

}  // namespace routelet::platform
