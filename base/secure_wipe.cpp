#include "base/secure_wipe.h"

#include <cstring>

namespace qs {

void SecureWipe(void* data, std::size_t n) noexcept {
  if (n == 0) return;  // data may then be null, which memset does not allow
  std::memset(data, 0, n);
  // The barrier tells the compiler the zeroed memory is observed, so the memset stays.
  __asm__ __volatile__("" : : "r"(data) : "memory");
}

}  // namespace qs
