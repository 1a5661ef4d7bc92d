#pragma once
// Finding and reading "template.dat".
#include <string>

#include "driver/front_end.h"
#include "template/section_store.h"

namespace routelet {

inline constexpr const char* kTemplateFileName = "template.dat";

// Where the program looks for its template: beside the program, or, for an installed program
// (bin/routelet), in ../share/routelet. The first that exists; beside the program when neither.
std::string TemplatePath();

// Reads the template at `path` into `sections`. A missing file shows "template.dat" +
// "が見つかりません" (application title) and returns false; a file that exists but cannot be
// read shows why and returns false.
bool LoadTemplateFrom(const std::string& path, FrontEnd& ui, SectionStore& sections);

// LoadTemplateFrom(TemplatePath(), ...).
bool LoadTemplate(FrontEnd& ui, SectionStore& sections);

}  // namespace routelet
