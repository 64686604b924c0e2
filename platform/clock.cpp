#include "platform/clock.h"

#include <ctime>

namespace qs::platform {

std::uint64_t CalendarSeconds() {
  const std::time_t now = std::time(nullptr);
  return now < 0 ? 0 : static_cast<std::uint64_t>(now);
}

std::uint32_t ProcessClockTicks() { return static_cast<std::uint32_t>(std::clock()); }

}  // namespace qs::platform
