#include <windows.h>
// bcrypt.h needs the types of windows.h first.
#include <bcrypt.h>

#include <cstring>

#include "platform/system_random.h"

namespace qs::platform {

bool SystemRandom(std::span<std::uint8_t, 32> out) {
  // The system-preferred generator needs no algorithm handle.
  const NTSTATUS status =
      BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (status >= 0) return true;
  std::memset(out.data(), 0, out.size());
  return false;
}

}  // namespace qs::platform
