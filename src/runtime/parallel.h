#pragma once
// Work split across threads, chunk by chunk. Each chunk's result goes to its own place and the
// chunks are cut by size alone, so a result never depends on which thread did what, or when.
#include <cstddef>
#include <functional>

namespace routelet {

// How many threads a run may use, and how finely its steps cut their work.
struct Parallelism {
  // Threads working at once, the calling one included; 1 does every step on the calling thread.
  unsigned Threads = 1;
  // Items (bytes of the log, lines, records) per chunk; 0 lets each step choose. Tests make it
  // tiny, so that chunk borders fall everywhere.
  std::size_t ChunkItems = 0;

  // How many chunks a step cuts `items` into: by ChunkItems when it is set; else one per thread
  // several times over, so that a thread the machine holds back is made up for by the others,
  // but no chunk smaller than `smallest` items (a small log is one chunk).
  std::size_t ChunksFor(std::size_t items, std::size_t smallest) const;
};

// The most threads a run uses unless told otherwise.
inline constexpr unsigned kMaxDefaultThreads = 8;

// The processors this process may run on (its affinity, so `taskset -c 0` gives 1), at most
// kMaxDefaultThreads.
unsigned DefaultThreadCount();

// The first item of chunk `chunk` when `items` items are cut into `chunks` nearly equal chunks;
// chunk `chunks` begins at `items`.
inline std::size_t ChunkStart(std::size_t items, std::size_t chunks, std::size_t chunk) {
  if (chunks == 0) return 0;
  return items / chunks * chunk + items % chunks * chunk / chunks;  // items * chunk / chunks, without overflow
}

// Calls work(k) once for every chunk k in [0, chunks), on up to `threads` threads (the calling
// one among them), and returns when all are done. Once a chunk throws, no other chunk starts;
// once those under way are done, the exception of the first chunk that threw is thrown again
// here. The threads besides the calling one are kept for the next call, waiting.
void ForEachChunk(std::size_t chunks, unsigned threads, const std::function<void(std::size_t)>& work);

}  // namespace routelet
