#pragma once
// Finding and reading "template.dat".
#include <string>

#include "runtime/file_error.h"
#include "template/section_store.h"

namespace routelet {

inline constexpr const char* kTemplateFileName = "template.dat";

// Where the program looks for its template: beside the program, or, for an installed program
// whose template is not there, in <prefix>/share/routelet; beside the program when neither.
// `programPath` is the name the program was started by (see ProgramDirectory).
std::string TemplatePath(std::string_view programPath);

// The sections of the template at `path`, or why it could not be read: kNotFound when nothing
// is there, kCannotOpen (with the system's reason) when the file cannot be read, kNotAFile for
// a device.
Loaded<SectionStore> LoadTemplate(const std::string& path);

}  // namespace routelet
