#pragma once
#include <cstdint>

namespace qs::platform {

// Calendar time in seconds since 1970-01-01 00:00 UTC, or 0 when the system has none.
std::uint64_t CalendarSeconds();

// Processor time used by the process, in the runtime's clock ticks; it feeds the random
// generator, so only its variation matters.
std::uint32_t ProcessClockTicks();

}  // namespace qs::platform
