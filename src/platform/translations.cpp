#include "platform/translations.h"

#include <algorithm>
#include <iterator>

namespace routelet::platform {
namespace {

struct Translation {
  std::string_view Text;
  const char* Translated;
};

// Sorted by the text as written; generated at build time from po/ (po_to_table.py).
constexpr Translation kJapanese[] = {
#include "ja_texts.inc"
};
constexpr Translation kEnglish[] = {
#include "en_texts.inc"
};

template <std::size_t N>
const char* Lookup(const Translation (&table)[N], const char* text) {
  const std::string_view key(text);
  const auto* found = std::lower_bound(std::begin(table), std::end(table), key,
                                       [](const Translation& entry, std::string_view wanted) { return entry.Text < wanted; });
  return found != std::end(table) && found->Text == key ? found->Translated : text;
}

bool IsCLocale(std::string_view locale) {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.") || locale.starts_with("POSIX.");
}

}  // namespace

TextLanguage LanguageOfLocale(std::string_view language, std::string_view lcAll, std::string_view lcMessages,
                              std::string_view lang) {
  const std::string_view locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
  if (IsCLocale(locale)) return TextLanguage::kAsWritten;
  // LANGUAGE is a list of languages; gettext skips empty entries.
  while (language.starts_with(':')) language.remove_prefix(1);
  const std::string_view chosen = language.empty() ? locale : language.substr(0, language.find(':'));
  if (IsCLocale(chosen)) return TextLanguage::kAsWritten;
  const bool japanese = chosen.starts_with("ja") && (chosen.size() == 2 || std::string_view("_.@").find(chosen[2]) != std::string_view::npos);
  return japanese ? TextLanguage::kJapanese : TextLanguage::kEnglish;
}

const char* TextIn(TextLanguage language, const char* text) {
  switch (language) {
    case TextLanguage::kJapanese: return Lookup(kJapanese, text);
    case TextLanguage::kEnglish: return Lookup(kEnglish, text);
    case TextLanguage::kAsWritten: break;
  }
  return text;
}

const char* TranslatedText(const char* text) {
  static const TextLanguage language = UserLanguage();
  return TextIn(language, text);
}

std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string text;
  std::size_t next = 0;
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    if (pattern[at] != '%' || at + 1 >= pattern.size()) {
      text += pattern[at];
      continue;
    }
    std::size_t index = next;
    std::size_t end = at + 1;
    if (pattern[end] >= '1' && pattern[end] <= '9' && end + 2 < pattern.size() && pattern[end + 1] == '$' &&
        pattern[end + 2] == 's') {
      index = static_cast<std::size_t>(pattern[end] - '1');
      end += 2;
    } else if (pattern[end] == 's') {
      ++next;
    } else {
      text += pattern[at];  // "%%" and anything else are kept as they are
      continue;
    }
    if (index < values.size()) text += values.begin()[index];
    at = end;
  }
  return text;
}

std::string FormattedText(const char* pattern, std::initializer_list<std::string_view> values) {
  return FillPattern(TranslatedText(pattern), values);
}

}  // namespace routelet::platform
