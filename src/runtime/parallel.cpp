#include "runtime/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/process.h"

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
  return std::clamp<unsigned>(platform::ProcessorsAvailable(), 1, kMaxDefaultThreads);
}

namespace {

// One step's chunks, shared by the threads that take them.
struct Step {
  Step(std::size_t chunks, const std::function<void(std::size_t)>& work) : Chunks(chunks), Work(work), Failures(chunks) {}

  // Takes chunks until every one is taken. Once one has failed, the rest are taken but not done:
  // the step's result is lost anyway. Every chunk is taken when this returns on any thread, so
  // Work is never called after the caller of ForEachChunk has gone.
  void TakeChunks() {
    for (std::size_t k = Next.fetch_add(1); k < Chunks; k = Next.fetch_add(1)) {
      if (Failed.load(std::memory_order_relaxed)) continue;
      try {
        Work(k);
      } catch (...) {
        Failures[k] = std::current_exception();
        Failed = true;
      }
    }
  }

  const std::size_t Chunks;
  const std::function<void(std::size_t)>& Work;
  std::atomic<std::size_t> Next{0};
  std::atomic<bool> Failed{false};
  std::vector<std::exception_ptr> Failures;
  unsigned Helping = 0;  // helper threads in TakeChunks, under the pool's mutex
};

// Threads that stay and wait for the next step: starting threads for every step would cost more
// than a small step's work (a fuzzer reads hundreds of small logs a second).
class HelperThreads {
 public:
  // Never destroyed: its threads still wait when the process ends.
  static HelperThreads& Shared() {
    static HelperThreads* const pool = new HelperThreads;
    return *pool;
  }

  // Asks up to `helpers` threads to take the step's chunks along with the caller, starting
  // threads up to that many when there are fewer.
  void Invite(const std::shared_ptr<Step>& step, unsigned helpers) {
    const std::lock_guard lock(mutex_);
    while (threads_ < helpers && StartThread()) ++threads_;
    invitations_.insert(invitations_.end(), helpers, step);
    wake_.notify_all();
  }

  // Withdraws the step's invitations that no thread took, and waits for the threads that took one.
  void Finish(const std::shared_ptr<Step>& step) {
    std::unique_lock lock(mutex_);
    std::erase(invitations_, step);
    helped_.wait(lock, [&] { return step->Helping == 0; });
  }

 private:
  // False when the system has no more threads to give: those there are do all the chunks.
  // The thread holds back the signals sent to the whole process, so that they come to threads
  // that may block them for a while (see platform::StartDetachedThread).
  bool StartThread() {
    return platform::StartDetachedThread([this] { Serve(); });
  }

  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return !invitations_.empty(); });
      const std::shared_ptr<Step> step = std::move(invitations_.front());
      invitations_.pop_front();
      ++step->Helping;
      lock.unlock();
      step->TakeChunks();
      lock.lock();
      if (--step->Helping == 0) helped_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;    // an invitation came
  std::condition_variable helped_;  // a step's last helper is done with it
  std::deque<std::shared_ptr<Step>> invitations_;
  unsigned threads_ = 0;
};

}  // namespace

void ForEachChunk(std::size_t chunks, unsigned threads, const std::function<void(std::size_t)>& work) {
  if (chunks == 0) return;
  const auto step = std::make_shared<Step>(chunks, work);
  const auto helpers = static_cast<unsigned>(std::min<std::size_t>(std::max(threads, 1u), chunks) - 1);
  if (helpers > 0) HelperThreads::Shared().Invite(step, helpers);
  step->TakeChunks();
  // Every chunk is taken; the helpers still at one are waited for, so that its result is seen here.
  if (helpers > 0) HelperThreads::Shared().Finish(step);
  for (const std::exception_ptr& failure : step->Failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace routelet
