#include "crypto/cpu_features.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace qs {
namespace {

struct Detected {
  bool aes = false;
  bool sha = false;
  bool ifma = false;
};

#if defined(__x86_64__) || defined(__i386__)
// The register state the system saves on a switch: 512-bit vectors need the SSE, AVX, mask
// and both upper-vector components (bits 1, 2, 5, 6, 7 of XCR0).
bool SystemSavesVectorState(unsigned leaf1Ecx) {
  if ((leaf1Ecx >> 27 & 1) == 0) return false;  // no xgetbv
  unsigned low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & 0xE6) == 0xE6;
}
#endif

Detected Detect() {
  Detected found;
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // Leaf 1: AES-NI (ecx 25), SSSE3 (ecx 9) and SSE4.1 (ecx 19), which the AES and SHA paths
  // also use. Leaf 7: SHA extensions (ebx 29), AVX-512 foundation (ebx 16) and IFMA (ebx 21).
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return found;
  const bool sse = (ecx >> 9 & 1) != 0 && (ecx >> 19 & 1) != 0;
  found.aes = sse && (ecx >> 25 & 1) != 0;
  const bool vectorState = SystemSavesVectorState(ecx);
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
    found.sha = sse && (ebx >> 29 & 1) != 0;
    found.ifma = vectorState && (ebx >> 16 & 1) != 0 && (ebx >> 21 & 1) != 0;
  }
#endif
  const char* portable = std::getenv("QS_PORTABLE_CRYPTO");
  if (portable != nullptr && std::strcmp(portable, "1") == 0) found = {};
  return found;
}

const Detected& Processor() {
  static const Detected detected = Detect();
  return detected;
}

std::atomic<bool> forcedPortable{false};

}  // namespace

bool HardwareAesEnabled() { return Processor().aes && !forcedPortable.load(std::memory_order_relaxed); }

bool HardwareShaEnabled() { return Processor().sha && !forcedPortable.load(std::memory_order_relaxed); }

bool HardwareIfmaEnabled() { return Processor().ifma && !forcedPortable.load(std::memory_order_relaxed); }

void ForcePortableCrypto(bool portable) { forcedPortable.store(portable, std::memory_order_relaxed); }

}  // namespace qs
