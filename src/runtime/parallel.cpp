#include "runtime/parallel.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace routelet {
namespace {

// Chunks per thread: enough that a thread slowed by other work on the machine is made up for,
// and that the last chunks, which leave the other threads waiting, are short.
constexpr std::size_t kChunksPerThread = 16;

}  // namespace

std::size_t Parallelism::ChunksFor(std::size_t items, std::size_t smallest) const {
  if (ChunkItems > 0) return std::max<std::size_t>(1, (items + ChunkItems - 1) / ChunkItems);
  if (Threads <= 1) return 1;
  return std::clamp<std::size_t>(items / std::max<std::size_t>(smallest, 1), 1, Threads * kChunksPerThread);
}

unsigned DefaultThreadCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  int count = 0;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) count = CPU_COUNT(&set);
  if (count <= 0) count = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp<unsigned>(static_cast<unsigned>(count), 1, kMaxDefaultThreads);
}

void ForEachChunk(std::size_t chunks, unsigned threads, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::vector<std::exception_ptr> failures(chunks);
  const auto takeChunks = [&] {
    for (std::size_t k = next.fetch_add(1); k < chunks; k = next.fetch_add(1)) {
      try {
        work(k);
      } catch (...) {
        failures[k] = std::current_exception();
      }
    }
  };
  {
    std::vector<std::jthread> helpers;
    const std::size_t wanted = std::min<std::size_t>(std::max(threads, 1u), chunks);
    helpers.reserve(wanted);
    for (std::size_t i = 1; i < wanted; ++i) {
      try {
        helpers.emplace_back(takeChunks);
      } catch (const std::system_error&) {
        break;  // no more threads to be had: those there are do all the chunks
      }
    }
    takeChunks();
  }  // the helpers are joined here, so every chunk's result is seen by the caller
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace routelet
