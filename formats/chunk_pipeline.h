#pragma once
#include <cstdint>
#include <functional>

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
    // Runs on a worker; worker < workers() picks per-worker state. Record failures in the
    // slot for write to see. An exception is carried over to the calling thread and thrown
    // from run() when its chunk's turn to be written comes.
    std::function<void(std::uint32_t slot, std::uint32_t worker)> work;
    // Takes chunk i out of its slot; false stops the run.
    std::function<bool(std::uint32_t chunk, std::uint32_t slot)> write;
  };

  // One worker per processor, at most 8 (memory grows with them, speed no longer does).
  ChunkPipeline();
  explicit ChunkPipeline(std::uint32_t workers);

  std::uint32_t workers() const { return workers_; }
  // Two chunks per worker: one worked on, one read ahead and waiting.
  std::uint32_t slots() const { return 2 * workers_; }

  // Every chunk of count read, worked and written; false as soon as a read or write failed.
  // Returns only after every worker has stopped.
  bool run(std::uint32_t count, const Steps& steps) const;

 private:
  std::uint32_t workers_;
};

}  // namespace qs
