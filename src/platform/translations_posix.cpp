#include "platform/translations.h"

#include <libintl.h>

#include <clocale>
#include <filesystem>
#include <string>

#include "platform/process.h"

namespace routelet::platform {
namespace {

constexpr const char* kTextDomain = "routelet";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

// Where the translations are: "locale" beside the program in the build folder, or
// <prefix>/share/locale for an installed program (<prefix>/bin/locale may be a program).
std::string LocaleDirectory() {
  const std::string program = ExecutablePath();
  const std::string programDir = program.empty() ? "." : FolderOf(program);
  const std::string prefix = programDir.back() == '/' ? programDir : programDir + "/";
  return IsFolder(prefix + "locale") ? prefix + "locale" : prefix + "../share/locale";
}

}  // namespace

// The locale's language is taken for messages only, so that nothing else the program does
// depends on it.
const char* TranslatedText(const char* english) {
  static const bool bound = [] {
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain(kTextDomain, LocaleDirectory().c_str());
    // UTF-8 whatever the locale's character set: the rest of the program's output is UTF-8 too.
    return bind_textdomain_codeset(kTextDomain, "UTF-8") != nullptr;
  }();
  (void)bound;
  return dgettext(kTextDomain, english);
}

}  // namespace routelet::platform
