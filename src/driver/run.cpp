#include "driver/run.h"

#include <chrono>
#include <new>

#include "driver/messages.h"
#include "driver/single_file.h"
#include "output/page_target.h"
#include "output/render_page.h"
#include "photos/find_photos.h"
#include "runtime/files.h"
#include "template/load_template.h"
#include "track/read_track.h"

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

// Whether a page is to be made of what the log at `logPath` gave; when not, the user is told why
// (a file with no track is refused before anything is written). A damaged XML file's points are
// used, with a word on where it broke.
bool TrackIsUsable(const LogTrack& log, const std::string& logPath, FrontEnd& ui) {
  if (log.Content == LogContent::kNoTrack) {
    ui.ShowMessage(NoTrackMessage(logPath), kErrorTitle);
    return false;
  }
  if (log.Content != LogContent::kXml) return true;
  switch (log.Xml.What) {
    case XmlStop::Reason::kEntities:
      ui.ShowMessage(XmlEntitiesMessage(logPath), kErrorTitle);
      return false;
    case XmlStop::Reason::kNotSupported:
      ui.ShowMessage(XmlNotSupportedMessage(logPath), kErrorTitle);
      return false;
    case XmlStop::Reason::kBroken:
    case XmlStop::Reason::kNone:
      break;
  }
  if (log.Points.Records.empty()) {
    ui.ShowMessage(NoTrackMessage(logPath), kErrorTitle);
    return false;
  }
  if (log.Xml.What == XmlStop::Reason::kBroken) {
    ui.ShowMessage(XmlBrokenMessage(logPath, log.Xml.Line, log.Points.Records.size()));
  }
  return true;
}

// Everything after the progress window is shown: read the log, build the track, find the
// photos, render and write the page (beside the log under `extension` unless `options` say
// where; never over the log, the template at `templatePath` or a photo read), and open it when
// asked to.
RunResult ConvertLog(const SectionStore& sections, const std::string& templatePath, const std::string& logPath,
                     const Options& options, std::string_view extension, FrontEnd& ui) {
  ProgressTexts progress(ui);
  const Loaded<LogTrack> log = ReadTrack(logPath, progress, options.Work);
  if (!log.ok()) {
    ui.ShowMessage(LoadFailureMessage(*log.Error, logPath, logPath));
    ui.ShowMessage(CannotReadMessage(logPath), kErrorTitle);
    return RunResult::kFailed;
  }
  if (!TrackIsUsable(log.Value, logPath, ui)) return RunResult::kFailed;
  const Track& track = log.Value.Points;
  const std::size_t keptLines = log.Value.KeptLines;
  // The list is made as the page is written, once the photos are known: its progress is told
  // first, so that the user hears of the steps in their usual order.
  TellRecordProgress(track.Records.size(), progress);
  const std::string pagePath = options.OutputPath.empty() ? OutputPathFor(logPath, extension) : options.OutputPath;
  // A page sent to a descriptor (standard output) has no folder of its own and no file to open.
  const bool toDescriptor = DescriptorNamedBy(pagePath).has_value();
  // Photo paths lead from the page's folder, so that its links find them.
  const std::string pageFolder = toDescriptor ? DirectoryOf(logPath) : DirectoryOf(pagePath);
  PhotoFindings photos = FindPhotos(options.Photos, DirectoryOf(logPath), pageFolder, track.Span, progress);
  SingleFileParts carried;
  if (options.SingleFile) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    carried = MakeSingleFileParts(track, photos.Listed, options, now.count());
  }
  const RenderedPage page(sections, track, photos.Listed, keptLines, logPath, options.Work, std::move(carried.Content));
  if (page.empty()) return RunResult::kEmptyPage;

  RunInputs inputs{logPath, std::move(photos.Read)};
  inputs.Others.push_back(templatePath);
  if (const auto error = WritePageTo({pagePath, !options.OutputPath.empty()}, page, inputs, options.Work)) {
    ui.ShowMessage(WriteFailureMessage(*error, PagePathText(pagePath)), kErrorTitle);
    return RunResult::kFailed;
  }
  std::string summary = SummaryText(PagePathText(pagePath), track.Records.size(), track.TotalDist, photos);
  if (track.Records.empty() && log.Value.Content == LogContent::kNmea) summary += kNoFixNote;
  if (options.SingleFile) summary += SingleFileNote(carried);
  ui.ShowSummary(summary);
  // The page is there whatever becomes of opening it, so the run still counts as a success.
  if (options.OpenPage && !toDescriptor) {
    if (const auto problem = ui.OpenPage(pagePath)) ui.ShowMessage(CannotOpenMessage(pagePath, *problem));
  }
  return RunResult::kPageWritten;
}

// Keeps the progress window shown for its scope, however the scope is left.
class ProgressWindowShown {
 public:
  explicit ProgressWindowShown(FrontEnd& ui) : ui_(ui) { ui_.ShowProgressWindow(); }
  ~ProgressWindowShown() { ui_.CloseProgressWindow(); }
  ProgressWindowShown(const ProgressWindowShown&) = delete;
  ProgressWindowShown& operator=(const ProgressWindowShown&) = delete;

 private:
  FrontEnd& ui_;
};

RunResult Convert(const Options& options, FrontEnd& ui) {
  const bool named = !options.TemplatePath.empty();
  const std::string templatePath = named ? options.TemplatePath : TemplatePath(options.ConfigHome, options.ProgramPath);
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

  const ProgressWindowShown window(ui);
  ui.SetProgress(kAnalysingText);
  return ConvertLog(sections.Value, templatePath, *logPath, options, *extension, ui);
}

}  // namespace

int ExitStatusFor(RunResult result) {
  return result == RunResult::kFailed || result == RunResult::kNoOneToAsk ? 1 : 0;
}

RunResult RunConversion(const Options& options, FrontEnd& ui) {
  try {
    return Convert(options, ui);
  } catch (const std::bad_alloc&) {
    // Everything the run held is freed by now, so there is room to say so.
    ui.ShowMessage(OutOfMemoryMessage(), kErrorTitle);
    return RunResult::kFailed;
  }
}

}  // namespace routelet
