#include "photos/find_photos.h"

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "photos/exif_reader.h"
#include "photos/heif_photo.h"
#include "runtime/files.h"
#include "runtime/numbers.h"

namespace routelet {
namespace {

// HEIF photos where the build reads them.
const std::vector<std::string_view> kPhotoExtensions = HeifPhotosSupported()
    ? std::vector<std::string_view>{".jpg", ".jpeg", ".heic", ".heif", ".hif"}
    : std::vector<std::string_view>{".jpg", ".jpeg"};

// The longest side of a HEIF photo's preview in the page.
constexpr int kPreviewLongSide = 800;

// The tags of a JPEG or HEIF file, with the file's status as it was read; a HEIF file that
// cannot be read gives tags without a date, as a damaged JPEG does.
PhotoTags ReadTags(const std::string& path, platform::FileStatus& status) {
  if (IsHeifName(path)) {
    platform::SystemError error = 0;
    if (!platform::StatusOfPath(path, status, error)) return {};
    return ReadHeifTags(path).value_or(PhotoTags{});
  }
  FileByteSource source(path);
  status = source.Status();
  return ReadPhotoTags(source);
}

// A JPEG file to read: where it is, and its path as the page names it.
struct PhotoFile {
  std::string Path;
  std::string Name;
  platform::FileStatus Read;  // as it was read
};

// The log's own folder gives its files (by bare name beside the page); named folders give every
// file below them once, however the folders overlap, and count their subfolders that could not
// be read into `foldersNotRead`.
std::vector<PhotoFile> PhotoFiles(const PhotoOptions& options, const std::string& logFolder,
                                  const std::string& pageFolder, std::size_t& foldersNotRead) {
  std::vector<PhotoFile> files;
  if (options.Folders.empty()) {
    // Opened in the log's folder, wherever the program was started from.
    for (std::string& name : ListFilesWithExtensions(logFolder, kPhotoExtensions)) {
      std::string path = JoinPath(logFolder, name);
      files.push_back({path, logFolder == pageFolder ? std::move(name) : RelativePath(path, pageFolder), {}});
    }
    return files;
  }
  std::set<std::string> seen;
  for (const std::string& folder : options.Folders) {
    FilesBelow below = ListFilesWithExtensionsBelow(folder, kPhotoExtensions);
    foldersNotRead += below.FoldersNotRead;
    for (std::string& path : below.Paths) {
      std::string name = RelativePath(path, pageFolder);
      if (seen.insert(name).second) files.push_back({std::move(path), std::move(name), {}});
    }
  }
  return files;
}

}  // namespace

PhotoFindings FindPhotos(const PhotoOptions& options, const std::string& logFolder, const std::string& pageFolder,
                         const TimeSpan& span, Progress& progress) {
  // Every file is read first: a named camera zone changes the C library's local zone while the
  // instants are worked out, and nothing else (progress included) runs in that stretch.
  std::vector<std::pair<PhotoFile, PhotoTags>> captured;
  PhotoFindings findings;
  for (PhotoFile& file : PhotoFiles(options, logFolder, pageFolder, findings.FoldersNotRead)) {
    progress.ReadingPhoto(file.Name);
    ++findings.Found;
    PhotoTags tags = ReadTags(file.Path, file.Read);
    findings.Read.push_back({file.Path, file.Read.Identity});
    if (findings.HeifNotRead.empty() && IsHeifName(file.Path)) findings.HeifNotRead = HeifReaderProblem();
    const std::optional<std::int64_t> day = ToInt64(tags.Capture.Camera);
    if (!day || *day < 1) {
      ++findings.NoCaptureTime;
      continue;
    }
    captured.emplace_back(std::move(file), std::move(tags));
  }

  const CameraClock clock(options.Zone, options.ClockShiftSeconds);
  for (auto& [file, tags] : captured) {
    const std::optional<std::int64_t> unixTime = clock.InstantOf(tags.Capture);
    if (!unixTime || !span.Contains(*unixTime)) {
      ++findings.OutsideTrack;
      continue;
    }
    findings.Listed.push_back({std::move(file.Name), tags.Capture.Camera, *unixTime, std::move(file.Path), file.Read.Size,
                               file.Read.ModifiedNs, tags.Gps, {}, {}});
    if (IsHeifName(findings.Listed.back().Path)) {
      findings.Listed.back().Preview = HeifPreviewUri(findings.Listed.back().Path, kPreviewLongSide);
    }
  }
  if (!options.Folders.empty()) {
    std::sort(findings.Listed.begin(), findings.Listed.end(), [](const Photo& a, const Photo& b) {
      return std::tie(a.UnixTime, a.Name) < std::tie(b.UnixTime, b.Name);
    });
  }
  return findings;
}

}  // namespace routelet
