#pragma once
#include <atomic>
#include <cstdint>

namespace qs {

// Shared between a worker, which adds to the count and polls the flag, and the user
// interface thread, which reads the count and sets the flag. Relaxed atomics stand in for
// the lock-free word and byte the two threads share.
struct ProgressHook {
  std::atomic<std::int32_t> count{0};
  std::atomic<std::uint8_t> cancel{0};  // 1 asks the worker to stop

  bool cancelRequested() const { return cancel.load(std::memory_order_relaxed) == 1; }
  void add(std::int32_t n) { count.fetch_add(n, std::memory_order_relaxed); }
};

// Adds n to the hook's count and tells whether the work should go on; a null hook never
// stops anything. Used after each unit of work (block, piece, candidate).
inline bool AdvanceAndContinue(ProgressHook* hook, std::int32_t n) {
  if (hook == nullptr) return true;
  hook->add(n);
  return !hook->cancelRequested();
}

}  // namespace qs
