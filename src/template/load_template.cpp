#include "template/load_template.h"

#include <vector>

#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {

std::string TemplatePath(std::string_view configHome, std::string_view programPath) {
  const std::string programDir = ProgramDirectory(programPath);
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
  std::string text;
  loaded.Error = InputFileProblem(path);
  if (loaded.ok()) loaded.Error = ReadTextFile(path, text);
  if (loaded.ok()) ParseSections(text, loaded.Value);
  return loaded;
}

}  // namespace routelet
