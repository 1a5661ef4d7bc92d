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

bool LoadTemplateFrom(const std::string& path, FrontEnd& ui, SectionStore& sections) {
  if (!PathExists(path)) {
    ui.ShowMessage(NotFoundMessage(kTemplateFileName));
    return false;
  }
  std::string text;
  std::string error;
  if (!ReadTextFile(path, text, error)) {
    ui.ShowMessage(CannotOpenMessage(path, error));
    return false;
  }
  ParseSections(text, sections);
  return true;
}

bool LoadTemplate(FrontEnd& ui, SectionStore& sections) {
  return LoadTemplateFrom(TemplatePath(), ui, sections);
}

}  // namespace routelet
