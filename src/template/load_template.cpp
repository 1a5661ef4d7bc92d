#include "template/load_template.h"

#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {

std::string TemplatePath(std::string_view programPath) {
  const std::string programDir = ProgramDirectory(programPath);
  const std::string beside = JoinPath(programDir, kTemplateFileName);
  if (PathExists(beside)) return beside;
  // An installed program lives in <prefix>/bin and its template in <prefix>/share/routelet.
  const std::string installed = JoinPath(JoinPath(programDir, "../share/routelet"), kTemplateFileName);
  if (PathExists(installed)) return installed;
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
