#pragma once
// Finding and reading "template.dat".
#include <string>
#include <string_view>

#include "runtime/file_error.h"
#include "template/section_store.h"

namespace routelet {

inline constexpr const char* kTemplateFileName = "template.dat";
// The shipped template in English, made from template.dat at build time and shipped beside it.
inline constexpr const char* kEnglishTemplateFileName = "template.en.dat";

// Where the program looks for its template when none is named, first found wins: the user's
// own in `configHome`/routelet (when `configHome` is not empty), beside the program, then, for
// an installed program, in <prefix>/share/routelet. Beside the program when none is there.
// `programPath` is the name the program was started by (see ProgramDirectory). With `english`,
// each place of the shipped template offers template.en.dat before its template.dat; the user's
// own template.dat wins all the same.
std::string TemplatePath(std::string_view configHome, std::string_view programPath, bool english = false);

// The sections of the template at `path`, or why it could not be read: kNotFound when nothing
// is there, kCannotOpen (with the system's reason) when the file cannot be read, kNotAFile for
// a device.
Loaded<SectionStore> LoadTemplate(const std::string& path);

// The bytes of the template at `path` as they are, or why they could not be read (as for
// LoadTemplate); TemplateSections cuts them into sections as LoadTemplate does.
Loaded<std::string> ReadTemplateFile(const std::string& path);
SectionStore TemplateSections(std::string bytes);

}  // namespace routelet
