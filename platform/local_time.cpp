#include "platform/local_time.h"

namespace qs::platform {

std::optional<std::tm> LocalCalendarTime(std::uint64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm out{};
#ifdef _WIN32
  if (localtime_s(&out, &t) != 0) return std::nullopt;
#else
  if (localtime_r(&t, &out) == nullptr) return std::nullopt;
#endif
  return out;
}

}  // namespace qs::platform
