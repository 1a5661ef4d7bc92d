#include "driver/run.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver/messages.h"
#include "driver/single_file.h"
#include "output/check_template.h"
#include "output/page_target.h"
#include "output/render_page.h"
#include "photos/find_photos.h"
#include "photos/photo_position.h"
#include "photos/photo_tag_writer.h"
#include "platform/console.h"
#include "platform/files.h"
#include "runtime/escape.h"
#include "runtime/files.h"
#include "template/load_template.h"
#include "track/read_track.h"
#include "track/segments.h"
#include "track/utc_offset.h"

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

// The logs the user gave or chose: one path (a log or a folder of logs) or several; empty when
// none was chosen, nothing when nobody could be asked.
std::optional<std::vector<std::string>> LogPathsFor(const Options& options, FrontEnd& ui) {
  std::vector<std::string> logs = options.LogPaths;
  if (!options.LogPath.empty()) logs.push_back(options.LogPath);
  if (!logs.empty()) return logs;
  return ui.ChooseLogFiles();
}

// Whether a page is to be made of what the log at `logPath` gave; when not, the user is told why
// (a file with no track is refused before anything is written). A damaged XML file's points are
// used, with a word on where it broke, and so are those of a damaged compressed log.
bool TrackIsUsable(const LogTrack& log, const std::string& logPath, FrontEnd& ui) {
  if (log.Content == LogContent::kNoTrack) {
    ui.ShowMessage(NoTrackMessage(logPath), kErrorTitle);
    return false;
  }
  if (log.CompressionBroken) {
    const std::size_t points = log.Points.Records.size();
    ui.ShowMessage(CompressionBrokenMessage(logPath, points), points == 0 ? kErrorTitle : std::string_view());
    return points > 0;
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

// Writes the photos' positions into them as `mode` asks. Each photo left alone (and, in a dry
// run, each one to be written) gets a line on the terminal; the counts come in one message, the
// run's last, which the desktop shows too. False when a write failed.
bool GeotagListedPhotos(const std::vector<Photo>& photos, GeotagMode mode, PhotoTagWriter& writer, FrontEnd& ui) {
  const bool dryRun = mode == GeotagMode::kDryRun;
  const GeotagSummary summary = GeotagPhotos(photos, mode, writer, [&](const Photo& photo, const TagWriteOutcome& outcome) {
    if (outcome.Result != TagWriteResult::kWritten || dryRun) ui.ShowSummary(GeotagLine(photo, outcome, dryRun));
  });
  ui.ShowMessage(GeotagSummaryText(summary, dryRun));
  return summary.Failed == 0;
}

// What the logs of a run gave the page.
struct LogsRead {
  Track Points;
  std::size_t KeptLines = 0;
  bool NmeaWithoutFix = false;  // the logs held NMEA sentences but no fix: the summary says so
  // In track order: the first names the page and is the log whose folder holds the photos.
  std::vector<std::string> Paths;
  std::vector<std::string> Overlapping;  // logs whose time spans overlap another's
  std::size_t FilesNotLogs = 0;          // files of a folder that held no track
};

// Several logs' tracks as one, in the order of their first timed fix; one log's track as it is.
void JoinLogs(std::vector<Track>& tracks, const std::vector<std::string>& paths, LogsRead& read) {
  const std::vector<std::size_t> order = TrackOrder(tracks);
  for (const std::size_t k : order) read.Paths.push_back(paths[k]);
  for (const std::size_t k : OverlappingTracks(tracks, order)) read.Overlapping.push_back(paths[k]);
  read.Points = tracks.size() == 1 ? std::move(tracks.front()) : JoinTracks(tracks, order);
}

// Gathers the logs' tracks as they are read, cut at the split gap.
struct LogGatherer {
  void Take(LogTrack& log, const std::string& path, const SegmentRules& rules) {
    SplitAtGaps(log.Points, rules);
    read.KeptLines += log.KeptLines;
    nmea = nmea || log.Content == LogContent::kNmea;
    tracks.push_back(std::move(log.Points));
    paths.push_back(path);
  }
  LogsRead Finish() {
    JoinLogs(tracks, paths, read);
    read.NmeaWithoutFix = nmea && read.Points.Records.empty();
    return std::move(read);
  }

  std::vector<Track> tracks;
  std::vector<std::string> paths;
  bool nmea = false;
  LogsRead read;
};

// Reads the logs at `paths`, each of which must give a track; nothing, once the user has been
// told why, when one does not. Several logs are told one by one before their lines.
std::optional<LogsRead> ReadLogs(const std::vector<std::string>& paths, const Options& options, ProgressTexts& progress,
                                 FrontEnd& ui) {
  LogGatherer gathered;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    const std::string& path = paths[k];
    if (paths.size() > 1) ui.SetProgress(ReadingLogText(k + 1, paths.size(), path));
    Loaded<LogTrack> log = ReadTrack(path, progress, options.Work);
    if (!log.ok()) {
      const bool hint = options.OptionAfterLog && path == options.LogPath && log.Error->Kind == FileError::Problem::kNotFound;
      ui.ShowMessage(hint ? LogNotFoundAfterOptionsMessage(path) : LoadFailureMessage(*log.Error, path, path));
      ui.ShowMessage(CannotReadMessage(path), kErrorTitle);
      return std::nullopt;
    }
    if (!TrackIsUsable(log.Value, path, ui)) return std::nullopt;
    gathered.Take(log.Value, path, options.Segments);
  }
  return gathered.Finish();
}

// The same file by whatever path.
bool SameFile(const std::string& one, const std::string& other) {
  platform::FileStatus a, b;
  platform::SystemError ignored = 0;
  return platform::StatusOfPath(one, a, ignored) && platform::StatusOfPath(other, b, ignored) &&
         a.Identity != platform::FileIdentity{} && a.Identity == b.Identity;
}

// The files of a folder (not of its subfolders) that may hold a track, and how many others there
// are; hidden files and the page itself (a GPX page of an earlier run) are neither.
struct FolderFiles {
  std::vector<std::string> Logs;
  std::size_t Others = 0;
};

FolderFiles FilesOfFolder(const std::string& folder, const std::string& pagePath) {
  FolderFiles files;
  for (const std::string& name : ListFilesWithExtensions(folder, {""})) {
    const std::string path = JoinPath(folder, name);
    if (name.starts_with('.') || SameFile(path, pagePath)) continue;
    if (MayHoldTrack(path)) {
      files.Logs.push_back(path);
    } else {
      ++files.Others;
    }
  }
  return files;
}

// Reads every log in `folder`; files that turn out to hold no track are passed over and counted.
// Nothing, once the user has been told, when none holds one.
std::optional<LogsRead> ReadFolder(const std::string& folder, const std::string& pagePath, const Options& options,
                                   ProgressTexts& progress, FrontEnd& ui) {
  const FolderFiles files = FilesOfFolder(folder, pagePath);
  const std::vector<std::string>& paths = files.Logs;
  std::size_t notLogs = files.Others;
  LogGatherer gathered;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    const std::string& path = paths[k];
    if (paths.size() > 1) ui.SetProgress(ReadingLogText(k + 1, paths.size(), path));
    Loaded<LogTrack> log = ReadTrack(path, progress, options.Work);
    const bool xml = log.ok() && log.Value.Content == LogContent::kXml;
    const bool usable = log.ok() && (log.Value.Content == LogContent::kNmea ||
                                     (xml && !log.Value.Points.Records.empty() &&
                                      (log.Value.Xml.What == XmlStop::Reason::kNone || log.Value.Xml.What == XmlStop::Reason::kBroken)));
    if (!usable) {
      ++notLogs;
      continue;
    }
    if (log.Value.Xml.What == XmlStop::Reason::kBroken) {
      ui.ShowMessage(XmlBrokenMessage(path, log.Value.Xml.Line, log.Value.Points.Records.size()));
    }
    gathered.Take(log.Value, path, options.Segments);
  }
  if (gathered.tracks.empty()) {
    ui.ShowMessage(NoTrackMessage(folder), kErrorTitle);
    return std::nullopt;
  }
  LogsRead read = gathered.Finish();
  read.FilesNotLogs = notLogs;
  return read;
}

// A folder's path without the separators after its name ("trip/" is "trip").
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && platform::kPathSeparators.find(path.back()) != std::string_view::npos) path.pop_back();
  return path;
}

// The page of a folder's logs: inside it, named after it ("trip/trip.html"); a folder that has no
// name in its path ("." or "..") is named by its absolute path's last part.
std::string FolderPagePath(const std::string& folder, std::string_view extension) {
  const auto lastPart = [](std::string_view path) { return path.substr(path.find_last_of(platform::kPathSeparators) + 1); };
  std::string name(lastPart(folder));
  if (name.empty() || name == "." || name == "..") {
    const std::filesystem::path absolute = std::filesystem::absolute(platform::NativePath(folder)).lexically_normal();
    name = lastPart(WithoutTrailingSeparators(platform::Utf8Path(absolute)));
  }
  if (name.empty()) name = "routelet";  // the root of the file system
  return JoinPath(folder, name) + "." + std::string(extension);
}

// Everything after the logs are read: find and place the photos, render and write the page (at
// `pagePath`; never over a log, the template at `templatePath` or a photo read), write the
// photos' positions into them through `tagWriter` when there is one, and open the page when
// asked to. `named` is what the page tells as its log: the log, or the folder.
RunResult MakePage(const SectionStore& sections, const std::string& templatePath, const LogsRead& logs,
                   const std::string& named, const std::string& pagePath, const Options& options, FrontEnd& ui,
                   ProgressTexts& progress, PhotoTagWriter* tagWriter) {
  const Track& track = logs.Points;
  const std::string& firstLog = logs.Paths.front();
  // The list is made as the page is written, once the photos are known: its progress is told
  // first, so that the user hears of the steps in their usual order.
  TellRecordProgress(track.Records.size(), progress);
  // A page sent to a descriptor (standard output) has no folder of its own and no file to open.
  const bool toDescriptor = DescriptorNamedBy(pagePath).has_value();
  // Photo paths lead from the page's folder, so that its links find them.
  const std::string pageFolder = toDescriptor ? DirectoryOf(firstLog) : DirectoryOf(pagePath);
  PhotoFindings photos = FindPhotos(options.Photos, DirectoryOf(firstLog), pageFolder, track.Span, progress);
  if (!photos.HeifNotRead.empty()) ui.ShowMessage(HeifNotReadMessage(photos.HeifNotRead));
  PlacePhotos(photos.Listed, track, options.Photos.MaxGapSeconds);
  SingleFileParts carried;
  if (options.SingleFile) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    carried = MakeSingleFileParts(track, photos.Listed, options, now.count());
  }
  const RenderedPage page(sections, track, photos.Listed, logs.KeptLines, named, options.Work,
                          std::move(carried.Content));
  if (page.empty()) return RunResult::kEmptyPage;

  RunInputs inputs{firstLog, std::move(photos.Read)};
  inputs.Others.push_back({templatePath, {}});
  for (auto log = logs.Paths.begin() + 1; log != logs.Paths.end(); ++log) inputs.Others.push_back({*log, {}});
  if (const auto error = WritePageTo({pagePath, !options.OutputPath.empty()}, page, inputs, options.Work)) {
    ui.ShowMessage(WriteFailureMessage(*error, PagePathText(pagePath)), kErrorTitle);
    return RunResult::kFailed;
  }
  std::string summary = SummaryText(PagePathText(pagePath), track.Records.size(), track.TotalDist, photos);
  if (logs.NmeaWithoutFix) summary += kNoFixNote;
  if (!logs.Overlapping.empty()) summary += OverlappingLogsNote(logs.Overlapping);
  if (logs.FilesNotLogs > 0) summary += FilesNotLogsNote(logs.FilesNotLogs);
  if (options.SingleFile) summary += SingleFileNote(carried);
  ui.ShowSummary(summary);
  if (!toDescriptor) ui.PageWritten(pagePath);
  if (tagWriter && !GeotagListedPhotos(photos.Listed, options.Geotag, *tagWriter, ui)) return RunResult::kFailed;
  // The page is there whatever becomes of opening it, so the run still counts as a success.
  if (options.OpenPage && !toDescriptor) {
    if (const auto problem = ui.OpenPage(pagePath)) ui.ShowMessage(CannotOpenMessage(pagePath, *problem));
  }
  return RunResult::kPageWritten;
}

// While it lives, the run's local times are in the page's zone (--zone) rather than the machine's.
class PageZoneInPlace {
 public:
  explicit PageZoneInPlace(const std::optional<CameraZone>& zone) {
    if (!zone) return;
    if (zone->Name.empty()) {
      fixed_.emplace(zone->OffsetMinutes);
    } else {
      named_.emplace(zone->Name);
    }
  }

 private:
  std::optional<ScopedTimeZone> named_;
  std::optional<ScopedFixedOffset> fixed_;
};

// Everything after the progress window is shown: read the logs (or the folder's), then make the
// page, beside the first log under `extension` (inside a folder, after its name) unless
// `options` say where.
RunResult ConvertLogs(const SectionStore& sections, const std::string& templatePath,
                      const std::vector<std::string>& logPaths, const Options& options, std::string_view extension,
                      FrontEnd& ui) {
  std::unique_ptr<PhotoTagWriter> tagWriter;
  if (options.Geotag != GeotagMode::kOff && !(tagWriter = MakePhotoTagWriter())) {
    ui.ShowMessage(GeotagNotAvailableMessage(PhotoTagWriterProblem()), kErrorTitle);
    return RunResult::kFailed;
  }
  if (std::string loadError; options.SingleFile && !SingleFileAvailable(loadError)) {
    ui.ShowMessage(SingleFileNotAvailableMessage(loadError), kErrorTitle);
    return RunResult::kFailed;
  }
  const PageZoneInPlace pageZone(options.PageZone);
  const std::string zoneName = options.PageZone ? options.PageZone->Name : std::string();
  ProgressTexts progress(ui);
  const bool folder = logPaths.size() == 1 && IsDirectory(logPaths.front());
  if (folder) {
    const std::string path = WithoutTrailingSeparators(logPaths.front());
    const std::string pagePath = options.OutputPath.empty() ? FolderPagePath(path, extension) : options.OutputPath;
    std::optional<LogsRead> logs = ReadFolder(path, pagePath, options, progress, ui);
    if (!logs) return RunResult::kFailed;
    logs->Points.ZoneName = zoneName;
    return MakePage(sections, templatePath, *logs, path, pagePath, options, ui, progress, tagWriter.get());
  }
  std::optional<LogsRead> logs = ReadLogs(logPaths, options, progress, ui);
  if (!logs) return RunResult::kFailed;
  logs->Points.ZoneName = zoneName;
  const std::string& firstLog = logs->Paths.front();
  const std::string pagePath = options.OutputPath.empty() ? OutputPathFor(firstLog, extension) : options.OutputPath;
  return MakePage(sections, templatePath, *logs, firstLog, pagePath, options, ui, progress, tagWriter.get());
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

// Each problem of the template as a line that names its place (ProblemLine).
std::vector<std::string> TemplateProblemLines(std::string_view templatePath, std::string_view bytes) {
  std::vector<std::string> lines;
  for (const TemplateProblem& problem : CheckTemplate(bytes)) lines.push_back(ProblemLine(templatePath, problem));
  return lines;
}

std::string TemplatePathFor(const Options& options) {
  return options.TemplatePath.empty() ? TemplatePath(options.ConfigHome, options.ProgramPath, options.EnglishPage) : options.TemplatePath;
}

RunResult Convert(const Options& options, FrontEnd& ui) {
  const bool named = !options.TemplatePath.empty();
  const std::string templatePath = TemplatePathFor(options);
  // A template the user named is told by its path; the usual one by its file name.
  const std::string shownName = named ? templatePath : kTemplateFileName;
  Loaded<std::string> bytes = ReadTemplateFile(templatePath);
  if (!bytes.ok()) {
    ui.ShowMessage(LoadFailureMessage(*bytes.Error, shownName, templatePath));
    ui.ShowMessage(CannotReadMessage(kTemplateFileName), kErrorTitle);
    return RunResult::kFailed;
  }
  // Told, not refused: the page is still made as the template says.
  ui.ShowTemplateProblems(TemplateProblemLines(templatePath, bytes.Value));
  const Loaded<SectionStore> sections{TemplateSections(std::move(bytes.Value)), std::nullopt};
  const std::optional<std::string> extension = PageExtension(sections.Value);
  if (!extension) {
    ui.ShowMessage(ExtensionNotAWordMessage(shownName, GetSection(sections.Value, "extension")));
    ui.ShowMessage(CannotReadMessage(kTemplateFileName), kErrorTitle);
    return RunResult::kFailed;
  }

  const std::optional<std::vector<std::string>> logPaths = LogPathsFor(options, ui);
  if (!logPaths) return RunResult::kNoOneToAsk;
  if (logPaths->empty()) return RunResult::kCancelled;

  const ProgressWindowShown window(ui);
  ui.SetProgress(kAnalysingText);
  return ConvertLogs(sections.Value, templatePath, *logPaths, options, *extension, ui);
}

}  // namespace

int CheckTemplateFile(const Options& options, std::FILE* out, std::FILE* err) {
  const std::string templatePath = TemplatePathFor(options);
  const Loaded<std::string> bytes = ReadTemplateFile(templatePath);
  if (!bytes.ok()) {
    platform::WriteText(err, "routelet: " + TerminalEscape(LoadFailureMessage(*bytes.Error, templatePath, templatePath)) + "\n");
    return 1;
  }
  const std::vector<std::string> lines = TemplateProblemLines(templatePath, bytes.Value);
  std::string text;
  for (const std::string& line : lines) text += TerminalEscape(line) + "\n";
  platform::WriteText(out, text);
  std::fflush(out);
  return lines.empty() ? 0 : 1;
}

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
