// --geotag's writer leaves alone a photo changed since it was read (the modes, read-only photos
// and failed writes: tests/photos/geotag_test.sh).
#include <gtest/gtest.h>

#include <string>

#include "photos/geotag.h"
#include "photos/jpeg_builder.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;

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

TEST(PhotoTagWriter, LeavesAPhotoChangedSinceItWasRead) {
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
  EXPECT_EQ(writer->Write(ReadPhoto(path), {35, 139, {}}).Result, TagWriteResult::kWritten);
  EXPECT_NE(ReadAll(path), bytes);
}

}  // namespace
}  // namespace routelet
