// --geotag: which photos each mode writes, and the writer leaving alone a photo changed since it
// was read or one in a folder it may not write.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "photos/geotag.h"
#include "photos/jpeg_builder.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;

// Writes nothing; remembers which photos it was asked to write.
struct RecordingWriter final : PhotoTagWriter {
  TagWriteOutcome Write(const Photo& photo, const GeoPosition&) override {
    written += photo.Name + " ";
    return {photo.Name == "stuck" ? TagWriteResult::kFailed : TagWriteResult::kWritten, 0, {}};
  }
  std::string written;
};

TEST(Geotag, EachModeWritesTheTracksPhotosAndOverwriteAlsoThoseWithTheirOwn) {
  const GeoPosition here{35, 139, {}};
  std::vector<Photo> photos(4);
  photos[0].Name = "track", photos[0].TrackPosition = here;
  photos[1].Name = "own", photos[1].TrackPosition = here, photos[1].OwnGps = here;
  photos[2].Name = "nowhere", photos[2].OwnGps = here;
  photos[3].Name = "stuck", photos[3].TrackPosition = here;
  // mode, photos written, tagged, own GPS, no position, failed
  const std::vector<std::tuple<GeotagMode, std::string, std::size_t, std::size_t, std::size_t, std::size_t>> rows = {
      {GeotagMode::kOff, "", 0, 0, 0, 0},
      {GeotagMode::kMissing, "track stuck ", 1, 2, 0, 1},
      {GeotagMode::kOverwrite, "track own stuck ", 2, 0, 1, 1},
      {GeotagMode::kDryRun, "", 2, 2, 0, 0},
  };
  for (const auto& [mode, written, tagged, ownGps, noPosition, failed] : rows) {
    RecordingWriter writer;
    std::size_t told = 0;
    const GeotagSummary summary = GeotagPhotos(photos, mode, writer, [&](const Photo&, const TagWriteOutcome&) { ++told; });
    EXPECT_EQ(writer.written, written);
    EXPECT_EQ(std::make_tuple(summary.Tagged, summary.OwnGps, summary.NoPosition, summary.Failed),
              std::make_tuple(tagged, ownGps, noPosition, failed));
    EXPECT_EQ(told, tagged + failed);
  }
}

// A photo as the program read it: its status at that moment.
Photo ReadPhoto(const std::string& path) {
  platform::FileStatus status;
  platform::SystemError error = 0;
  EXPECT_TRUE(platform::StatusOfPath(path, status, error));
  Photo photo;
  photo.Path = path;
  photo.FileSize = status.Size;
  photo.ModifiedNs = status.ModifiedNs;
  return photo;
}

TEST(PhotoTagWriter, LeavesAPhotoChangedSinceItWasReadOrInAFolderItMayNotWrite) {
  const std::unique_ptr<PhotoTagWriter> writer = MakePhotoTagWriter();
  if (!writer) GTEST_SKIP() << "this build writes no photos";
  TempDir temp;
  const std::string bytes = Jpeg({ExifSegment(CameraTiff(ByteOrder::kBig, std::nullopt, "2010:04:03 07:08:09"))});
  const std::string path = temp.Write("photo.jpg", bytes);
  Photo photo = ReadPhoto(path);
  Photo grown = photo;
  grown.FileSize += 1;
  EXPECT_EQ(writer->Write(grown, {35, 139, {}}).Result, TagWriteResult::kChanged);
  photo.ModifiedNs -= 1;
  EXPECT_EQ(writer->Write(photo, {35, 139, {}}).Result, TagWriteResult::kChanged);
  EXPECT_EQ(ReadAll(path), bytes);
#ifndef _WIN32
  if (::geteuid() != 0) {  // root writes in any folder
    std::filesystem::permissions(temp.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const TagWriteOutcome outcome = writer->Write(ReadPhoto(path), {35, 139, {}});
    std::filesystem::permissions(temp.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(outcome.Result, TagWriteResult::kFailed);
    EXPECT_EQ(ReadAll(path), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
  }
#endif
  EXPECT_EQ(writer->Write(ReadPhoto(path), {35, 139, {}}).Result, TagWriteResult::kWritten);
  EXPECT_NE(ReadAll(path), bytes);
}

}  // namespace
}  // namespace routelet
