#include "base/secure_wipe.h"

namespace qs {

void SecureWipe(void* data, std::size_t n) noexcept {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) p[i] = 0;
  // The barrier tells the compiler the zeroed memory is observed.
  __asm__ __volatile__("" : : "r"(data) : "memory");
}

}  // namespace qs
