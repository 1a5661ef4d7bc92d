#include "driver/single_file.h"

#include <algorithm>
#include <cmath>

#include "platform/translations.h"
#include "preview/jpeg_codec.h"
#include "preview/photo_previews.h"
#include "runtime/base64.h"
#include "runtime/disk_cache.h"
#include "runtime/parallel.h"
#include "tiles/page_tiles.h"
#include "tiles/tile_fetcher.h"

namespace routelet {
namespace {

// The box of the track's positions, as the page draws them (0, 0 is a receiver without a fix);
// empty when it has none.
std::optional<GeoBox> TrackBox(const Track& track) {
  std::optional<GeoBox> box;
  for (const TrackRecord& record : track.Records) {
    if (!std::isfinite(record.Lat) || !std::isfinite(record.Lng) || std::abs(record.Lat) > 90 ||
        std::abs(record.Lng) > 180 || (record.Lat == 0 && record.Lng == 0)) {
      continue;
    }
    if (!box) box = GeoBox{record.Lat, record.Lng, record.Lat, record.Lng};
    box->South = std::min(box->South, record.Lat);
    box->North = std::max(box->North, record.Lat);
    box->West = std::min(box->West, record.Lng);
    box->East = std::max(box->East, record.Lng);
  }
  return box;
}

// "[previewlist]": a line for each preview, its data: URI or nothing. Each line's place is known
// from the previews' sizes, so the lines are written there on the run's threads at once: one by
// one, Base64 for a hundred megabytes of previews kept the other threads waiting a tenth of a second.
std::string PreviewListOf(std::vector<PhotoPreview>& previews, std::vector<std::string>& thumbnails,
                          const Parallelism& work) {
  const std::string uriStart = DataUriStart("image/jpeg");
  std::vector<std::size_t> lineStart(previews.size() + 1, 0);
  for (std::size_t k = 0; k < previews.size(); ++k) {
    const std::size_t large = previews[k].Large.size();
    lineStart[k + 1] = lineStart[k] + (large == 0 ? 0 : uriStart.size() + Base64Length(large)) + 1;
  }
  std::string list(lineStart.back(), '\n');
  thumbnails.resize(previews.size());
  ForEachChunk(previews.size(), work.Threads, [&](std::size_t k) {
    PhotoPreview& preview = previews[k];
    if (!preview.Thumbnail.empty()) thumbnails[k] = DataUri("image/jpeg", preview.Thumbnail);
    if (!preview.Large.empty()) {
      char* line = list.data() + lineStart[k];
      uriStart.copy(line, uriStart.size());
      WriteBase64(line + uriStart.size(), preview.Large);
    }
    preview = PhotoPreview{};  // its megabyte is in the list now
  });
  return list;
}

// A photo that a browser cannot show (HEIF) already has its JPEG preview, which the page shows
// in the grid and in the viewer alike ("[file:thumb]" falls back to it): it is not decoded again.
void AddPreviews(const std::vector<Photo>& photos, const Options& options, SingleFileParts& parts) {
  std::vector<std::string> paths;
  for (const Photo& photo : photos) paths.push_back(photo.Preview.empty() ? photo.Path : std::string());
  std::vector<PhotoPreview> previews =
      MakePhotoPreviews(paths, PreviewSizes{}, options.Work, CacheFolder(options.CacheHome, "previews"));
  for (std::size_t k = 0; k < previews.size(); ++k) {
    if (previews[k].Large.empty() && photos[k].Preview.empty()) ++parts.PhotosWithoutPreview;
  }
  parts.Content.PreviewList = PreviewListOf(previews, parts.Content.Thumbnails, options.Work);
}

void AddTiles(const Track& track, const Options& options, std::int64_t now, SingleFileParts& parts) {
  const std::optional<GeoBox> box = TrackBox(track);
  if (!box) return;
  TileGathering gathering;
  gathering.OwnSource = options.TileSource;
  gathering.CacheFolder = CacheFolder(options.CacheHome, "tiles");
  gathering.UserAgent = "Routelet/" ROUTELET_VERSION " (GPS log to web page; single-file page)";
  PageTiles tiles = GatherPageTiles(*box, gathering, now);
  parts.Content.TileTable = std::move(tiles.Table);
  parts.TilesWanted = tiles.Wanted;
  parts.TilesEmbedded = tiles.Embedded;
  parts.TilesFetched = tiles.Fetched;
  parts.TileProblem = std::move(tiles.Problem);
  parts.MapLeftOnline = tiles.LeftOnline;
}

}  // namespace

bool SingleFileAvailable(std::string& loadError) {
  if (!JpegCodecAvailable()) {
    loadError = JpegCodecLoadError();
    return false;
  }
  if (!TileFetchingAvailable()) {
    loadError = TileFetcherLoadError();
    return false;
  }
  return true;
}

SingleFileParts MakeSingleFileParts(const Track& track, const std::vector<Photo>& photos, const Options& options,
                                    std::int64_t now) {
  SingleFileParts parts;
  AddPreviews(photos, options, parts);
  AddTiles(track, options, now, parts);
  return parts;
}

std::string SingleFileNote(const SingleFileParts& parts) {
  using platform::FormattedText;
  std::string note;
  if (parts.PhotosWithoutPreview > 0) {
    note += FormattedText("。写真%s枚は縮小版を作れず、ファイルへのリンクのままです", {std::to_string(parts.PhotosWithoutPreview)});
  }
  if (parts.MapLeftOnline) {
    return note + platform::TranslatedText(
                      "。OpenStreetMap の利用規約により地図はページに入れていません（地図はオンラインで表示されます）。"
                      "地図も持たせるには、規約が認めるタイルサーバーを --tile-source=URL で指定してください");
  }
  if (parts.TilesWanted == 0) return note;
  if (parts.TilesEmbedded == 0) {
    note += platform::TranslatedText("。背景地図のタイルを取得できなかったため、地図の背景なしで書き出しました");
  } else {
    note += FormattedText("。背景地図のタイル%s/%s枚を埋め込みました（新たに取得%s枚）",
                          {std::to_string(parts.TilesEmbedded), std::to_string(parts.TilesWanted),
                           std::to_string(parts.TilesFetched)});
  }
  if (!parts.TileProblem.empty()) note += FormattedText("（%s）", {parts.TileProblem});
  return note;
}

}  // namespace routelet
