// Inside routelet-tile-fetch.so: tiles fetched with libcurl.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string_view>

#include "tiles/tile_fetcher.h"

namespace routelet {
namespace {

// One request under way: its place in the results and the bytes it gathers.
struct Transfer {
  FetchedTile* Into = nullptr;
  std::size_t MostBytes = 0;
  bool TooLarge = false;
};

std::size_t KeepBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (transfer->Into->Bytes.size() + bytes > transfer->MostBytes) {
    transfer->TooLarge = true;
    return 0;  // ends the transfer
  }
  transfer->Into->Bytes.append(data, bytes);
  return bytes;
}

std::size_t KeepHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  // A redirect's or a 100 Continue's headers are followed by the final response's: keep those.
  if (line.starts_with("HTTP/")) transfer->Into->HeaderLines.clear();
  transfer->Into->HeaderLines.emplace_back(line);
  return size * count;
}

// libcurl's global state, set up once for the process (not thread-safe to do more than once).
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

CURL* NewRequest(const std::string& url, const std::string& userAgent, const FetchLimits& limits, Transfer& transfer) {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return nullptr;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 3L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);  // timeouts without SIGALRM, safe with threads
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.ConnectTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.RequestTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.StallSeconds);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, KeepBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, KeepHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
  return easy;
}

FetchedTile::Outcome OutcomeOf(CURLcode code, long status, const Transfer& transfer) {
  using Outcome = FetchedTile::Outcome;
  if (code != CURLE_OK || transfer.TooLarge) return Outcome::kFailed;
  if (status == 200 && !transfer.Into->Bytes.empty()) return Outcome::kFetched;
  if (status == 401 || status == 403 || status == 429 || status >= 500) return Outcome::kRefused;
  return Outcome::kMissing;
}

}  // namespace
}  // namespace routelet

namespace routelet::linked {

std::vector<FetchedTile> FetchTiles(const std::vector<std::string>& urls, const std::string& userAgent,
                                    const FetchLimits& limits) {
  std::vector<FetchedTile> results(urls.size());
  if (urls.empty() || !CurlReady()) return results;
  const std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)> multi(curl_multi_init(), curl_multi_cleanup);
  if (!multi) return results;
  curl_multi_setopt(multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, limits.Connections);
  curl_multi_setopt(multi.get(), CURLMOPT_MAX_HOST_CONNECTIONS, limits.Connections);
  std::vector<Transfer> transfers(urls.size());
  std::vector<CURL*> underWay;
  std::size_t next = 0;
  int running = 0;
  bool stopped = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.AllMs);
  // Keeps `Connections` requests under way while there are more and nothing has gone wrong.
  const auto startMore = [&] {
    while (!stopped && next < urls.size() && running < limits.Connections) {
      Transfer& transfer = transfers[next];
      transfer = {&results[next], limits.MostBytesPerTile, false};
      CURL* easy = NewRequest(urls[next], userAgent, limits, transfer);
      ++next;
      if (easy == nullptr || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        if (easy != nullptr) curl_easy_cleanup(easy);
        transfer.Into->Result = FetchedTile::Outcome::kFailed;
        stopped = true;
        return;
      }
      underWay.push_back(easy);
      ++running;
    }
  };
  startMore();
  while (running > 0) {
    int stillRunning = 0;
    if (curl_multi_perform(multi.get(), &stillRunning) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* easy = message->easy_handle;
      Transfer* transfer = nullptr;
      curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&transfer));
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      FetchedTile& tile = *transfer->Into;
      tile.Result = OutcomeOf(message->data.result, status, *transfer);
      if (tile.Result == FetchedTile::Outcome::kFailed || tile.Result == FetchedTile::Outcome::kRefused) {
        tile.Problem = message->data.result != CURLE_OK ? curl_easy_strerror(message->data.result)
                                                        : (transfer->TooLarge ? "too large" : "HTTP " + std::to_string(status));
        stopped = true;
      }
      if (tile.Result != FetchedTile::Outcome::kFetched) tile.Bytes.clear();
      curl_multi_remove_handle(multi.get(), easy);
      curl_easy_cleanup(easy);
      std::erase(underWay, easy);
      --running;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    startMore();
    // Waits for the sockets, at most a second at a time.
    if (running > 0 && curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) break;
  }
  // Whatever is still under way (past the deadline, or after the transfer library failed) is
  // given up.
  for (CURL* easy : underWay) {
    Transfer* transfer = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&transfer));
    transfer->Into->Result = FetchedTile::Outcome::kFailed;
    transfer->Into->Bytes.clear();
    transfer->Into->Problem = "took too long";
    curl_multi_remove_handle(multi.get(), easy);
    curl_easy_cleanup(easy);
  }
  return results;
}

}  // namespace routelet::linked

extern "C" const routelet::TileFetcher* routelet_tile_fetcher() {
  static const routelet::TileFetcher fetcher{&routelet::CurlReady, &routelet::linked::FetchTiles};
  return &fetcher;
}
