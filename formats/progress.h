#pragma once
#include <atomic>
#include <cstdint>

namespace qs {

// Progress of the chunked pipelines, shared with the thread that shows it: the pipeline
// writes current and count, the other side sets cancel to 1 to ask it to stop.
struct ChunkProgress {
  std::atomic<std::uint32_t> current{0};
  std::atomic<std::uint32_t> count{0};
  std::atomic<std::uint8_t> cancel{0};

  bool cancelRequested() const { return cancel.load(std::memory_order_relaxed) == 1; }
};

}  // namespace qs
