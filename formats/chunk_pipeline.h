#pragma once
#include <cstdint>
#include <functional>
#include <span>

namespace qs {

// Runs the chunks of a file through worker threads while the calling thread does all the
// file work: chunk i is read (in order, on the calling thread), worked on (on any worker),
// then written (in order, on the calling thread). Only `slots()` chunks are in flight at a
// time, each in its own slot that the caller owns, so memory stays bounded whatever the
// file's size, and the file calls happen in the same order as in a plain loop.
class ChunkPipeline {
 public:
  struct Steps {
    // Fills the slot with chunk i; false stops the run.
    std::function<bool(std::uint32_t chunk, std::uint32_t slot)> read;
    // Runs on a worker over one slot, or with Batch::kPairs two slots of consecutive chunks
    // in chunk order; worker < workers() picks per-worker state. Record failures in the slots
    // for write to see. An exception is carried over to the calling thread and thrown from
    // run() when the first chunk of that call is due to be written.
    std::function<void(std::span<const std::uint32_t> slots, std::uint32_t worker)> work;
    // Takes chunk i out of its slot; false stops the run.
    std::function<bool(std::uint32_t chunk, std::uint32_t slot)> write;
  };

  // How many chunks a worker takes at once: always one, or two whenever two are waiting (for
  // work that runs two chunks faster than one after the other). Chunks are then read ahead
  // two at a time, so that a worker finds them waiting together.
  enum class Batch : std::uint32_t { kSingle = 1, kPairs = 2 };

  // One worker per processor, at most 8 (memory grows with them, speed no longer does).
  explicit ChunkPipeline(Batch batch = Batch::kSingle);
  explicit ChunkPipeline(std::uint32_t workers, Batch batch = Batch::kSingle);

  std::uint32_t workers() const { return workers_; }
  std::uint32_t batch() const { return batch_; }
  // Two batches per worker: one worked on, one read ahead and waiting.
  std::uint32_t slots() const { return 2 * workers_ * batch_; }

  // Every chunk of count read, worked and written; false as soon as a read or write failed.
  // Reading ahead changes nothing of what a plain loop would meet first: after a failed read
  // the chunks before it are still written (and their exceptions thrown) before run returns.
  // Returns, or throws, only after every worker has stopped.
  bool run(std::uint32_t count, const Steps& steps) const;

 private:
  std::uint32_t workers_;
  std::uint32_t batch_;
};

}  // namespace qs
