#include "platform/file_fault.h"

#include <atomic>

#include "platform/file_error.h"

namespace qs::platform {
namespace {

// Calls left before the failing one; 0 when disarmed. Relaxed: a test arms and checks the
// switch on the thread that runs the operation.
std::atomic<std::uint64_t> g_left{0};
std::atomic<bool> g_hit{false};
std::atomic<void (*)()> g_raise{nullptr};  // set: the armed call throws instead of failing

}  // namespace

void FailNthFileCall(std::uint64_t nth) { ThrowAtNthFileCall(nth, nullptr); }

void ThrowAtNthFileCall(std::uint64_t nth, void (*raise)()) {
  g_hit.store(false, std::memory_order_relaxed);
  g_raise.store(raise, std::memory_order_relaxed);
  g_left.store(nth, std::memory_order_relaxed);
}

bool InjectedFileFaultHit() { return g_hit.load(std::memory_order_relaxed); }

bool FileCallFails() {
  std::uint64_t left = g_left.load(std::memory_order_relaxed);
  while (left != 0) {
    if (g_left.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      if (left != 1) return false;
      g_hit.store(true, std::memory_order_relaxed);
      SetLastFileError(FileError::kDiskFull);
      if (void (*raise)() = g_raise.load(std::memory_order_relaxed)) raise();
      return true;
    }
  }
  return false;
}

}  // namespace qs::platform
