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

void WorkOnSlots(Shared& shared, const ChunkPipeline::Steps& steps, std::uint32_t worker) {
  for (;;) {
    std::uint32_t slot;
    {
      std::unique_lock lock(shared.mutex);
      shared.workReady.wait(lock, [&] { return shared.stopping || !shared.queue.empty(); });
      if (shared.stopping) return;
      slot = shared.queue.front();
      shared.queue.pop_front();
    }
    std::exception_ptr error;
    try {
      steps.work(slot, worker);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(shared.mutex);
      shared.errors[slot] = error;
      shared.done[slot] = 1;
    }
    shared.slotDone.notify_one();
  }
}

// The workers of one run; however the run ends, they are told to stop and joined, after
// finishing the chunk they are on.
class Workers {
 public:
  Workers(Shared& shared, const ChunkPipeline::Steps& steps, std::uint32_t count) : shared_(shared) {
    try {
      for (std::uint32_t w = 0; w < count; ++w)
        threads_.emplace_back(WorkOnSlots, std::ref(shared), std::cref(steps), w);
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
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!steps.read(i, 0)) return false;
    steps.work(0, 0);
    if (!steps.write(i, 0)) return false;
  }
  return true;
}

}  // namespace

ChunkPipeline::ChunkPipeline() : ChunkPipeline(std::thread::hardware_concurrency()) {}

ChunkPipeline::ChunkPipeline(std::uint32_t workers)
    : workers_(std::clamp<std::uint32_t>(workers, 1, kMaxWorkers)) {}

bool ChunkPipeline::run(std::uint32_t count, const Steps& steps) const {
  if (count == 0) return true;
  const std::uint32_t slotCount = slots();
  Shared shared(slotCount);
  Workers workers(shared, steps, workers_);
  if (workers.none()) return RunOnCallingThread(count, steps);

  std::uint32_t read = 0;
  for (std::uint32_t next = 0; next < count; ++next) {
    // A slot is refilled only after the chunk it held has been written.
    for (; read < count && read - next < slotCount; ++read) {
      if (!steps.read(read, read % slotCount)) return false;
      {
        std::lock_guard lock(shared.mutex);
        shared.queue.push_back(read % slotCount);
      }
      shared.workReady.notify_one();
    }
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
  return true;
}

}  // namespace qs
