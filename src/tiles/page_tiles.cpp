#include "tiles/page_tiles.h"

#include <optional>
#include <vector>

#include "platform/translations.h"
#include "runtime/base64.h"
#include "runtime/escape.h"
#include "tiles/http_freshness.h"
#include "runtime/disk_cache.h"

namespace routelet {
namespace {

// The boxes [south, west, north, east] that the page takes as Japan (the same as its script's).
constexpr GeoBox kJapan[] = {{24, 122.5, 30.5, 131.5}, {30.5, 128.5, 34.8, 142}, {34.8, 129.8, 41.6, 142.5},
                             {41.6, 139.3, 45.6, 149}, {20, 136, 27.5, 154}};

// The image type of a tile by its first bytes; empty for anything else (an error page).
std::optional<std::string_view> ImageType(std::string_view bytes) {
  if (bytes.starts_with("\x89PNG")) return "image/png";
  if (bytes.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
  if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP") return "image/webp";
  if (bytes.starts_with("GIF8")) return "image/gif";
  return std::nullopt;
}

// `text` as a JSON string that is also safe inside a <script> element.
std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      (json += '\\') += c;
    } else if (c == '<') {
      json += "\\u003c";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

std::string HostOf(const std::string& url) {
  const std::size_t start = url.find("://");
  const std::size_t from = start == std::string::npos ? 0 : start + 3;
  return url.substr(from, url.find_first_of("/?#", from) - from);
}

std::string TableStart(const TileSource& source) {
  return "{\"url\":" + JsonString(source.UrlTemplate) + ",\"minZoom\":" + std::to_string(source.Zooms.Min) +
         ",\"maxZoom\":" + std::to_string(source.Zooms.Max) +
         ",\"needsReferer\":" + (source.NeedsReferer ? "true" : "false") +
         ",\"attribution\":" + JsonString(source.Attribution) + ",\"tiles\":{";
}

}  // namespace

TileSource TileSourceFor(const GeoBox& box, const std::string& ownTemplate) {
  if (!ownTemplate.empty()) {
    return {ownTemplate, {0, 19}, false, platform::TranslatedText("地図タイル: ") + HtmlEscape(HostOf(ownTemplate))};
  }
  const double lat = (box.South + box.North) / 2, lng = (box.West + box.East) / 2;
  for (const GeoBox& japan : kJapan) {
    if (lat >= japan.South && lng >= japan.West && lat <= japan.North && lng <= japan.East) {
      return {"https://cyberjapandata.gsi.go.jp/xyz/std/{z}/{x}/{y}.png", {5, 18}, false,
              platform::TranslatedText("出典: <a href=\"https://maps.gsi.go.jp/development/ichiran.html\" "
                                       "target=\"_blank\" rel=\"noopener\">地理院タイル</a>")};
    }
  }
  return {"https://tile.openstreetmap.org/{z}/{x}/{y}.png", {0, 19}, true,
          "&copy; <a href=\"https://www.openstreetmap.org/copyright\" target=\"_blank\" "
          "rel=\"noopener\">OpenStreetMap</a> contributors"};
}

PageTiles GatherPageTiles(const GeoBox& box, const TileGathering& gathering, std::int64_t now) {
  const TileSource source = TileSourceFor(box, gathering.OwnSource);
  PageTiles tiles;
  // OpenStreetMap's tile usage policy forbids fetching its tiles to view them later (offline):
  // the page shows that map online, as a page without tiles does.
  if (gathering.OwnSource.empty() && source.NeedsReferer) {
    tiles.LeftOnline = true;
    return tiles;
  }
  std::vector<TileKey> keys = TilesForTrack(box, source.Zooms, gathering.CloserLevels);
  if (keys.size() > gathering.MostTiles) keys.resize(gathering.MostTiles);

  tiles.Wanted = keys.size();
  const DiskCache cache(gathering.CacheFolder);
  std::vector<std::string> urls(keys.size());
  std::vector<std::optional<CachedItem>> kept(keys.size());
  std::vector<std::string> toFetch;
  std::vector<std::size_t> fetchedFor;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    urls[i] = TileUrl(source.UrlTemplate, keys[i]);
    kept[i] = cache.Find(urls[i], now);
    if (!kept[i] || !kept[i]->Fresh) {
      toFetch.push_back(urls[i]);
      fetchedFor.push_back(i);
    }
  }
  std::vector<FetchedTile> answers = FetchTiles(toFetch, gathering.UserAgent, gathering.Limits);
  for (std::size_t j = 0; j < answers.size(); ++j) {
    FetchedTile& answer = answers[j];
    const std::size_t i = fetchedFor[j];
    if (answer.Result == FetchedTile::Outcome::kFetched && ImageType(answer.Bytes)) {
      ++tiles.Fetched;
      std::vector<std::string_view> lines(answer.HeaderLines.begin(), answer.HeaderLines.end());
      const Freshness freshness = FreshnessOf(lines);
      if (freshness.Storable) cache.Store(urls[i], answer.Bytes, now + freshness.Seconds);
      kept[i] = CachedItem{std::move(answer.Bytes), true};
    } else if (tiles.Problem.empty() && !answer.Problem.empty()) {
      // A tile the server could not give: a stale copy still serves, better than none.
      tiles.Problem = answer.Problem;
    }
  }

  std::string table = TableStart(source);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!kept[i]) continue;
    const auto type = ImageType(kept[i]->Bytes);
    if (!type || bytes + kept[i]->Bytes.size() > gathering.MostBytes) continue;
    bytes += kept[i]->Bytes.size();
    if (tiles.Embedded++ > 0) table += ',';
    table += JsonString(keys[i].Text()) + ":\"" + DataUri(*type, kept[i]->Bytes) + "\"";
  }
  if (tiles.Embedded > 0) tiles.Table = table + "}}";
  return tiles;
}

}  // namespace routelet
