#include "template/load_template.h"

#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {

std::string TemplatePath() {
  const std::string programDir = ProgramDirectory();
  const std::string beside = JoinPath(programDir, kTemplateFileName);
  if (PathExists(beside)) return beside;
  // An installed program lives in <prefix>/bin and its template in <prefix>/share/routelet.
  const std::string installed = JoinPath(JoinPath(programDir, "../share/routelet"), kTemplateFileName);
  if (PathExists(installed)) return installed;
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
