#pragma once
// Fetching tiles over HTTP(S), politely and within deadlines: a few connections at most, a
// User-Agent that names the program, and a stop at the first sign that the server is gone or
// does not want us.
#include <cstddef>
#include <string>
#include <vector>

namespace routelet {

struct FetchLimits {
  long Connections = 2;            // requests under way at once (the tile servers' policies ask for few)
  long ConnectTimeoutMs = 5000;    // to reach the server
  long RequestTimeoutMs = 15000;   // for a whole request
  long StallSeconds = 5;           // a response that sends nothing for this long is given up
  long AllMs = 60000;              // for all the tiles of a run: then what is under way is given up
  std::size_t MostBytesPerTile = 1 << 20;
};

struct FetchedTile {
  enum class Outcome {
    kNotTried,  // not asked for: the fetching stopped before it
    kFetched,   // HTTP 200 with a body
    kMissing,   // the server has no such tile (404 and the like): the others are still asked for
    kRefused,   // 401, 403, 429 or a server error: nothing more is asked of it
    kFailed,    // no answer: no network, refused connection, timeout, too large
  };
  Outcome Result = Outcome::kNotTried;
  std::string Bytes;
  std::vector<std::string> HeaderLines;  // of the final response
  std::string Problem;                   // for kRefused and kFailed, in the transfer library's words
};

// Whether this build can fetch at all (the Windows build cannot yet).
bool TileFetchingAvailable();

// Fetches `urls` in order with `userAgent`, at most limits.Connections at once. After the first
// request that is refused or fails, no new request is started, so a run without network ends
// after one connection timeout rather than one per tile; and a server that answers, but slowly,
// is given up after limits.AllMs.
std::vector<FetchedTile> FetchTiles(const std::vector<std::string>& urls, const std::string& userAgent,
                                    const FetchLimits& limits);

}  // namespace routelet
