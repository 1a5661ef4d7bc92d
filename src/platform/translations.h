#pragma once
// The command line's texts (--help and its errors) in the user's language. POSIX reads gettext's
// catalogs, made from po/ at build time (that code still lives in src/driver/command_line.cpp and
// moves here next); Windows carries the same texts compiled in from po/ and takes Japanese when
// the user's UI language is Japanese (GetUserDefaultUILanguage), without gettext.
namespace routelet::platform {

// `english` in the user's language when there is a translation for it, else `english`.
const char* TranslatedText(const char* english);

}  // namespace routelet::platform
