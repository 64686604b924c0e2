#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "platform/system_random.h"

namespace qs::platform {

bool SystemRandom(std::span<std::uint8_t, 32> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = ::getrandom(out.data() + done, out.size() - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      std::memset(out.data(), 0, out.size());
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace qs::platform
