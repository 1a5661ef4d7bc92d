#include "driver/run.h"

#include "driver/messages.h"
#include "output/page_target.h"
#include "output/render_page.h"
#include "photos/find_photos.h"
#include "runtime/files.h"
#include "template/load_template.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"

namespace routelet {
namespace {

// The steps' progress, told to the user as the progress window's text.
class ProgressTexts final : public Progress {
 public:
  explicit ProgressTexts(FrontEnd& ui) : ui_(ui) {}

  void LogLinesRead(std::int64_t lines) override { ui_.SetProgress(LinesReadText(lines)); }
  void RenderingRecord(std::size_t index, std::size_t total) override {
    ui_.SetProgress(RenderingRecordText(index, total));
  }
  void ReadingPhoto(std::string_view name) override { ui_.SetProgress(ReadingPhotoText(name)); }

 private:
  FrontEnd& ui_;
};

// The log path the user gave or chose; empty when none was chosen, nothing when nobody could
// be asked.
std::optional<std::string> LogPathFor(const Options& options, FrontEnd& ui) {
  if (!options.LogPath.empty()) return options.LogPath;
  return ui.ChooseLogFile();
}

// Everything after the progress window is shown: read the log, build the track, find the
// photos, render and write the page, beside the log under `extension` unless `options` say where.
RunResult ConvertLog(const SectionStore& sections, const std::string& logPath, const Options& options,
                     std::string_view extension, FrontEnd& ui) {
  ProgressTexts progress(ui);
  const Loaded<GpsLog> log = ReadGpsLog(logPath, progress);
  if (!log.ok()) {
    ui.ShowMessage(LoadFailureMessage(*log.Error, logPath, logPath));
    ui.ShowMessage(CannotReadMessage(logPath), kErrorTitle);
    return RunResult::kFailed;
  }
  const Track track = BuildTrack(log.Value);
  std::string page = RenderRecords(sections, track, log.Value.size(), progress);
  // Photo paths lead from the log's folder, where the page goes unless --output puts it elsewhere.
  const PhotoFindings photos = FindPhotos(options.Photos, DirectoryOf(logPath), track.Span, progress);
  FillPlaceholders(page, sections, track, photos.Listed, log.Value.size(), logPath);
  if (page.empty()) return RunResult::kEmptyPage;

  const std::string pagePath = options.OutputPath.empty() ? OutputPathFor(logPath, extension) : options.OutputPath;
  if (const auto error = WritePageTo(pagePath, std::move(page), logPath)) {
    ui.ShowMessage(WriteFailureMessage(*error, PagePathText(pagePath)), kErrorTitle);
    return RunResult::kFailed;
  }
  ui.ShowSummary(SummaryText(PagePathText(pagePath), track.Records.size(), track.TotalDist, photos));
  return RunResult::kPageWritten;
}

}  // namespace

int ExitStatusFor(RunResult result) {
  return result == RunResult::kFailed || result == RunResult::kNoOneToAsk ? 1 : 0;
}

RunResult RunConversion(const Options& options, FrontEnd& ui) {
  const bool named = !options.TemplatePath.empty();
  const std::string templatePath = named ? options.TemplatePath : TemplatePath(options.ConfigHome);
  // A template the user named is told by its path; the usual one by its file name.
  const std::string shownName = named ? templatePath : kTemplateFileName;
  const Loaded<SectionStore> sections = LoadTemplate(templatePath);
  if (!sections.ok()) {
    ui.ShowMessage(LoadFailureMessage(*sections.Error, shownName, templatePath));
    ui.ShowMessage(CannotReadMessage(kTemplateFileName), kErrorTitle);
    return RunResult::kFailed;
  }
  const std::optional<std::string> extension = PageExtension(sections.Value);
  if (!extension) {
    ui.ShowMessage(ExtensionNotAWordMessage(shownName, GetSection(sections.Value, "extension")));
    ui.ShowMessage(CannotReadMessage(kTemplateFileName), kErrorTitle);
    return RunResult::kFailed;
  }

  const std::optional<std::string> logPath = LogPathFor(options, ui);
  if (!logPath) return RunResult::kNoOneToAsk;
  if (logPath->empty()) return RunResult::kCancelled;

  ui.ShowProgressWindow();
  ui.SetProgress(kAnalysingText);
  const RunResult result = ConvertLog(sections.Value, *logPath, options, *extension, ui);
  ui.CloseProgressWindow();
  return result;
}

}  // namespace routelet
