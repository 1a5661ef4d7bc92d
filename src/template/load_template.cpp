#include "template/load_template.h"

#include <vector>

#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {

std::string TemplatePath(std::string_view configHome, std::string_view programPath, bool english) {
  const std::string programDir = ProgramDirectory(programPath);
  const std::string beside = JoinPath(programDir, kTemplateFileName);
  std::vector<std::string> places;
  // The user's own template survives upgrades and needs no rights over the program's folder.
  if (!configHome.empty()) places.push_back(JoinPath(JoinPath(configHome, "routelet"), kTemplateFileName));
  // An installed program lives in <prefix>/bin and its template in <prefix>/share/routelet.
  for (const std::string& folder : {programDir, JoinPath(programDir, "../share/routelet")}) {
    if (english) places.push_back(JoinPath(folder, kEnglishTemplateFileName));
    places.push_back(JoinPath(folder, kTemplateFileName));
  }
  for (const std::string& place : places) {
    if (PathExists(place)) return place;
  }
  return beside;
}

Loaded<SectionStore> LoadTemplate(const std::string& path) {
  Loaded<std::string> bytes = ReadTemplateFile(path);
  if (!bytes.ok()) return {{}, std::move(bytes.Error)};
  return {TemplateSections(std::move(bytes.Value)), std::nullopt};
}

Loaded<std::string> ReadTemplateFile(const std::string& path) {
  Loaded<std::string> loaded;
  loaded.Error = InputFileProblem(path);
  if (loaded.ok()) loaded.Error = ReadFileBytes(path, loaded.Value);
  return loaded;
}

SectionStore TemplateSections(std::string bytes) {
  SectionStore sections;
  ParseSections(DecodeText(std::move(bytes)), sections);
  return sections;
}

}  // namespace routelet
