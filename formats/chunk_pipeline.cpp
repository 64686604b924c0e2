#include "formats/chunk_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace qs {
namespace {

constexpr std::uint32_t kMaxWorkers = 8;

// What the calling thread and the workers share, under one mutex.
struct Shared {
  explicit Shared(std::uint32_t slots) : done(slots, 0), errors(slots) {}

  std::mutex mutex;
  std::condition_variable workReady;  // a slot was queued, or the run is stopping
  std::condition_variable slotDone;
  std::deque<std::uint32_t> queue;  // slots waiting for a worker, in chunk order
  std::vector<std::uint8_t> done;
  std::vector<std::exception_ptr> errors;
  bool stopping = false;
};

void WorkOnSlots(Shared& shared, const ChunkPipeline::Steps& steps, std::uint32_t batch,
                 std::uint32_t worker) {
  std::uint32_t taken[2];
  for (;;) {
    std::size_t count;
    {
      std::unique_lock lock(shared.mutex);
      shared.workReady.wait(lock, [&] { return shared.stopping || !shared.queue.empty(); });
      if (shared.stopping) return;
      count = std::min<std::size_t>(batch, shared.queue.size());
      for (std::size_t i = 0; i < count; ++i) {
        taken[i] = shared.queue.front();
        shared.queue.pop_front();
      }
    }
    std::exception_ptr error;
    try {
      steps.work(std::span<const std::uint32_t>(taken, count), worker);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(shared.mutex);
      shared.errors[taken[0]] = error;
      for (std::size_t i = 0; i < count; ++i) shared.done[taken[i]] = 1;
    }
    shared.slotDone.notify_one();
  }
}

// The workers of one run; however the run ends, they are told to stop and joined, after
// finishing the chunk they are on.
class Workers {
 public:
  Workers(Shared& shared, const ChunkPipeline::Steps& steps, std::uint32_t count, std::uint32_t batch)
      : shared_(shared) {
    try {
      for (std::uint32_t w = 0; w < count; ++w)
        threads_.emplace_back(WorkOnSlots, std::ref(shared), std::cref(steps), batch, w);
    } catch (const std::system_error&) {
      // The system has no more threads to give; the ones started do the work.
    }
  }
  ~Workers() {
    {
      std::lock_guard lock(shared_.mutex);
      shared_.stopping = true;
    }
    shared_.workReady.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  bool none() const { return threads_.empty(); }

 private:
  Shared& shared_;
  std::vector<std::thread> threads_;
};

bool RunOnCallingThread(std::uint32_t count, const ChunkPipeline::Steps& steps) {
  const std::uint32_t slot = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!steps.read(i, slot)) return false;
    steps.work(std::span<const std::uint32_t>(&slot, 1), 0);
    if (!steps.write(i, slot)) return false;
  }
  return true;
}

}  // namespace

ChunkPipeline::ChunkPipeline(Batch batch) : ChunkPipeline(std::thread::hardware_concurrency(), batch) {}

ChunkPipeline::ChunkPipeline(std::uint32_t workers, Batch batch)
    : workers_(std::clamp<std::uint32_t>(workers, 1, kMaxWorkers)),
      batch_(static_cast<std::uint32_t>(batch)) {}

bool ChunkPipeline::run(std::uint32_t count, const Steps& steps) const {
  if (count == 0) return true;
  const std::uint32_t slotCount = slots();
  Shared shared(slotCount);
  Workers workers(shared, steps, workers_, batch_);
  if (workers.none()) return RunOnCallingThread(count, steps);

  // A failed read lowers readable to its chunk; the chunks before it are still written, so
  // that a write failure or a cancel among them is what the run ends with, as in a plain
  // read-work-write loop.
  std::uint32_t readable = count;
  std::uint32_t read = 0;
  for (std::uint32_t next = 0; next < readable; ++next) {
    // A slot is refilled only after the chunk it held has been written, and only when a
    // whole batch fits (the file's last chunk may be alone); a batch's chunks go to the
    // workers together.
    while (read < readable && slotCount - (read - next) >= std::min(batch_, readable - read)) {
      const std::uint32_t first = read;
      for (const std::uint32_t end = std::min(read + batch_, readable); read < end; ++read) {
        if (!steps.read(read, read % slotCount)) {
          readable = read;
          break;
        }
      }
      {
        std::lock_guard lock(shared.mutex);
        for (std::uint32_t i = first; i < read; ++i) shared.queue.push_back(i % slotCount);
      }
      shared.workReady.notify_one();
    }
    if (next == readable) break;
    const std::uint32_t slot = next % slotCount;
    std::exception_ptr error;
    {
      std::unique_lock lock(shared.mutex);
      shared.slotDone.wait(lock, [&] { return shared.done[slot] != 0; });
      shared.done[slot] = 0;
      error = std::exchange(shared.errors[slot], nullptr);
    }
    if (error) std::rethrow_exception(error);
    if (!steps.write(next, slot)) return false;
  }
  return readable == count;
}

}  // namespace qs
