#pragma once
#include <cstdint>
#include <ctime>
#include <optional>

namespace qs::platform {

// Seconds since 1970-01-01 00:00 UTC in the local calendar, or nullopt when the system
// cannot convert them.
std::optional<std::tm> LocalCalendarTime(std::uint64_t seconds);

}  // namespace qs::platform
