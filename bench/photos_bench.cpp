// Reading the capture time of every photo in a folder of 2,000, as a run does for a trip's photos.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "../tests/photos/jpeg_builder.h"
#include "photos/exif_reader.h"
#include "photos/find_photos.h"
#include "runtime/progress.h"

namespace {

constexpr int kPhotoCount = 2000;

// A temporary folder of photo files, removed at the end of the program.
class PhotoFolder {
 public:
  explicit PhotoFolder(const std::string& photo) {
    std::string pattern = (std::filesystem::temp_directory_path() / "routelet-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    for (int i = 0; i < kPhotoCount; ++i) {
      const std::string name = "IMG_" + std::to_string(10000 + i) + ".jpg";
      std::ofstream(path_ / name, std::ios::binary) << photo;
      files_.push_back((path_ / name).string());
    }
  }
  ~PhotoFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::vector<std::string>& files() const { return files_; }
  std::string Folder() const { return path_.string(); }

 private:
  std::filesystem::path path_;
  std::vector<std::string> files_;
};

// A camera-like file: JFIF, an ICC profile, the Exif block (with the offset tags of a camera
// that writes its zone, when asked), then 24 KB of image data.
std::string GeneratedPhoto(bool withOffsets = false) {
  using namespace routelet::testing;
  const std::optional<std::string_view> offset = withOffsets ? std::optional<std::string_view>("+09:00") : std::nullopt;
  return Jpeg({JfifSegment(), Segment(0xE2, std::string(3000, 'c')),
               ExifSegment(CameraTiff(ByteOrder::kBig, "2011:11:05 18:00:00", "2011:11:05 12:34:56", offset, offset))}) +
         std::string(24 * 1024, '\x5A');
}

// A real camera file (APP0 first, about 8 KB) from the test data.
std::string RealPhoto() {
  const auto path = std::filesystem::path(__FILE__).parent_path() / ".." / "tests" / "data" / "photos" /
                    "Canon_40D.jpg";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void ReadAll(benchmark::State& state, const PhotoFolder& folder) {
  for (auto _ : state) {
    double sum = 0;
    for (const std::string& file : folder.files()) sum += routelet::ReadExifDate(file);
    if (sum == 0) state.SkipWithError("no capture time read");
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPhotoCount);
}

void BM_ReadExifDate_2000GeneratedPhotos(benchmark::State& state) {
  static const PhotoFolder folder(GeneratedPhoto());
  ReadAll(state, folder);
}
BENCHMARK(BM_ReadExifDate_2000GeneratedPhotos)->Unit(benchmark::kMillisecond);

// The date and the offset written for it.
void BM_ReadCaptureTime_2000PhotosWithOffsets(benchmark::State& state) {
  static const PhotoFolder folder(GeneratedPhoto(true));
  for (auto _ : state) {
    std::int64_t minutes = 0;
    for (const std::string& file : folder.files()) minutes += routelet::ReadCaptureTime(file).OffsetMinutes.value_or(0);
    if (minutes != 540 * kPhotoCount) state.SkipWithError("offsets not read");
    benchmark::DoNotOptimize(minutes);
  }
  state.SetItemsProcessed(state.iterations() * kPhotoCount);
}
BENCHMARK(BM_ReadCaptureTime_2000PhotosWithOffsets)->Unit(benchmark::kMillisecond);

void BM_ReadExifDate_2000CopiesOfARealPhoto(benchmark::State& state) {
  static const PhotoFolder folder(RealPhoto());
  ReadAll(state, folder);
}
BENCHMARK(BM_ReadExifDate_2000CopiesOfARealPhoto)->Unit(benchmark::kMillisecond);

// Listing the folder and reading every photo's capture time.
void BM_FindPhotos_2000Photos(benchmark::State& state) {
  static const PhotoFolder folder(GeneratedPhoto());
  routelet::TimeSpan span;
  span.MinTime = 1320400000;
  span.MaxTime = 1320500000;
  routelet::NoProgress progress;
  for (auto _ : state) {
    const std::vector<routelet::Photo> photos = routelet::FindPhotos({}, folder.Folder(), span, progress).Listed;
    if (photos.size() != static_cast<std::size_t>(kPhotoCount)) state.SkipWithError("photos missing from the list");
    benchmark::DoNotOptimize(photos.data());
  }
  state.SetItemsProcessed(state.iterations() * kPhotoCount);
}
BENCHMARK(BM_FindPhotos_2000Photos)->Unit(benchmark::kMillisecond);

}  // namespace
