#pragma once
// Every text the user is shown while a log is converted: the progress texts and the messages.
// The steps of a conversion return what happened; the texts are made here only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/page_target.h"
#include "platform/translations.h"
#include "output/write_page.h"
#include "photos/find_photos.h"
#include "photos/geotag.h"
#include "runtime/file_error.h"

namespace routelet {

// A text of the program's own, in the user's language wherever it is used.
struct ShownText {
  constexpr explicit ShownText(const char* text) : Text(text) {}
  operator std::string_view() const { return platform::TranslatedText(Text); }
  const char* Text;
};

// The title of the run's own error messages.
inline constexpr ShownText kErrorTitle = ShownText("エラー");

// The first progress text, shown as the log is opened.
inline constexpr ShownText kAnalysingText = ShownText("GPSデータ解析中");
std::string LinesReadText(std::int64_t lines);
std::string RenderingRecordText(std::size_t index, std::size_t total);
std::string ReadingPhotoText(std::string_view name);
// Before each of several logs is read: "GPSログ解析中：2/3 day2.log".
std::string ReadingLogText(std::size_t index, std::size_t count, std::string_view logPath);

// A file that is not there: its name or path followed by "が見つかりません".
std::string NotFoundMessage(std::string_view name);
// A log that is not there, named by words some of which look like options: the message says that
// options go before the log.
std::string LogNotFoundAfterOptionsMessage(std::string_view path);
// The loader's own message for an input file that could not be read. A missing file is named
// by `shownName` ("template.dat" for the template, the path for the log); a file that is there
// but cannot be opened is named by its path, with the system's reason or, for a device, the
// words "not a file".
std::string LoadFailureMessage(const FileError& error, std::string_view shownName, std::string_view path);
// The run's message after a loader's: `name` followed by "が正しく読みこめません".
std::string CannotReadMessage(std::string_view name);
// The run's message when memory ran out.
std::string OutOfMemoryMessage();
// main's message when the help or version text could not be written, for the system's reason.
std::string CannotWriteOutputMessage(std::string_view reason);
// A template whose *extension section is not one word of letters and digits; `text` is what
// the section holds.
std::string ExtensionNotAWordMessage(std::string_view templateName, std::string_view text);
// The page's path as the user is told it: "標準出力" (standard output) for "-".
std::string PagePathText(std::string_view pagePath);
// Why the page at `pagePath` was not written.
std::string WriteFailureMessage(const WriteError& error, std::string_view pagePath);
// The file at `path` could not be opened, for `reason`: "…を開けません（reason）".
std::string CannotOpenMessage(std::string_view path, std::string_view reason);
// Why the terminal front end opens no page (--open).
inline constexpr ShownText kOpenNeedsDesktop = ShownText("--openはデスクトップでのみ使えます");

// The line told on a terminal once the page is written: its path, the track's points and
// distance, how many photos were listed out of how many were found and why the rest were left
// out, and how many folders below --photos could not be opened. When none of the photos with a
// capture time fell within the track, it suggests the camera zone option.
std::string SummaryText(std::string_view pagePath, std::size_t points, double totalKm, const PhotoFindings& photos);

// One photo of a --geotag run: what would be written (a dry run), or why nothing was.
std::string GeotagLine(const Photo& photo, const TagWriteOutcome& outcome, bool dryRun);
// How many photos --geotag wrote (or would write) and why it left the others alone.
std::string GeotagSummaryText(const GeotagSummary& summary, bool dryRun);
// --geotag in a build that cannot write photos.
// `loadError`: why the module that writes tags could not be loaded; empty where the build has none.
std::string GeotagNotAvailableMessage(std::string_view loadError = {});
// --single-file where its modules cannot be loaded (`loadError`, the loader's text), or in a build
// without them (empty).
std::string SingleFileNotAvailableMessage(std::string_view loadError);
// The HEIF photos found could not be read: the module that reads them could not be loaded.
std::string HeifNotReadMessage(std::string_view loadError);

// A log that is neither an NMEA log nor an XML track file with points: "…にはNMEAの文も
// GPX/TCX/KMLの地点もありません".
std::string NoTrackMessage(std::string_view logPath);
// An XML track file that stops being XML at line `line` (cut off or damaged); the page is made of
// the `points` read before.
std::string XmlBrokenMessage(std::string_view logPath, std::uint64_t line, std::size_t points);
// A compressed log cut short or damaged; the page is made of the `points` its bytes gave, when
// there are any (else nothing is written).
std::string CompressionBrokenMessage(std::string_view logPath, std::size_t points);
// An XML file that declares entities, refused before any is expanded.
std::string XmlEntitiesMessage(std::string_view logPath);
// An XML file on a build that reads no GPX/TCX/KML.
std::string XmlNotSupportedMessage(std::string_view logPath);
// Added to the summary of several logs whose time spans overlap: each is drawn as its own
// segment all the same.
std::string OverlappingLogsNote(const std::vector<std::string>& logPaths);
// Added to the summary of a folder's page: `count` files of the folder held no track.
std::string FilesNotLogsNote(std::size_t count);
// Added to the summary of a log of NMEA sentences that made no point.
inline constexpr ShownText kNoFixNote = ShownText("。NMEAの文はありますが、位置の取れた文（RMC）がひとつもありません");

// The message for a command-line option whose value is not understood, with its line end; the
// option as the terminal is to show it (TerminalEscape), since main writes it to stderr as it is.
std::string UnusableOptionMessage(std::string_view given);

}  // namespace routelet
