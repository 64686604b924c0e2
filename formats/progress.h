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

// Why a native encrypt or decrypt pipeline failed.
enum class ResultCode : int {
  kSource = 0,       // the source could not be read or is not a well-formed file
  kTarget = 1,       // the target could not be written
  kKeys = 2,         // wrapping, signing, the sender's signature or unwrapping failed
  kOtherMethod = 3,  // the file was encrypted with another method
  kCancelled = 4,
};

}  // namespace qs
