#pragma once
// Every text the program shows, in the user's language. Each text is written in the program as
// it is shown under the C locale (the run's messages in Japanese, the command line's help and
// errors in English); po/ja.po and po/en.po translate them, and both catalogs are compiled into
// the program at build time, so that no installed locale or catalog is needed to speak either.
#include <initializer_list>
#include <string>
#include <string_view>

namespace routelet::platform {

enum class TextLanguage {
  kAsWritten,  // the C or POSIX locale, or none: every text as the program writes it
  kJapanese,
  kEnglish,  // any language but Japanese
};

// The language the locale variables ask for, in the order gettext takes them: the locale is the
// first set of LC_ALL, LC_MESSAGES and LANG; under C or POSIX (C.UTF-8 too) or none the texts
// stay as written; otherwise LANGUAGE's first entry, when it is set, else the locale, names the
// language. Japanese for "ja" (ja_JP.UTF-8, ja.eucJP, ...), English for any other.
TextLanguage LanguageOfLocale(std::string_view language, std::string_view lcAll, std::string_view lcMessages,
                              std::string_view lang);

// The user's language: from the locale variables on POSIX, from the UI language on Windows.
TextLanguage UserLanguage();

// `text` in `language` when the catalog has it, else `text`.
const char* TextIn(TextLanguage language, const char* text);

// `text` in the user's language when there is a translation for it, else `text`.
const char* TranslatedText(const char* text);

// `pattern`'s "%s" replaced by `values` in turn ("%2$s" takes the second); the values are not
// looked at again, so a "%" in a path stays as it is.
std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> values);

// `pattern` in the user's language, filled with `values`.
std::string FormattedText(const char* pattern, std::initializer_list<std::string_view> values);

}  // namespace routelet::platform
