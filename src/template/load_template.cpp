#include "template/load_template.h"

#include <vector>

#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {

std::string TemplatePath(std::string_view configHome) {
  const std::string programDir = ProgramDirectory();
  const std::string beside = JoinPath(programDir, kTemplateFileName);
  std::vector<std::string> places;
  // The user's own template survives upgrades and needs no rights over the program's folder.
  if (!configHome.empty()) places.push_back(JoinPath(JoinPath(configHome, "routelet"), kTemplateFileName));
  places.push_back(beside);
  // An installed program lives in <prefix>/bin and its template in <prefix>/share/routelet.
  places.push_back(JoinPath(JoinPath(programDir, "../share/routelet"), kTemplateFileName));
  for (const std::string& place : places) {
    if (PathExists(place)) return place;
  }
  return beside;
}

Loaded<SectionStore> LoadTemplate(const std::string& path) {
  Loaded<SectionStore> loaded;
  if (!PathExists(path)) {
    loaded.Error = FileError{FileError::Problem::kNotFound, {}};
    return loaded;
  }
  std::string text;
  std::string reason;
  if (!ReadTextFile(path, text, reason)) {
    loaded.Error = FileError{FileError::Problem::kCannotOpen, reason};
    return loaded;
  }
  ParseSections(text, loaded.Value);
  return loaded;
}

}  // namespace routelet
