#pragma once
#include <cstdint>

#include "base/text_string.h"

namespace qs {

// "YYYY-MM-DD HH:MM" in local time for seconds since 1970-01-01 00:00 UTC; the empty text
// when the time cannot be converted.
TextString FormatTimestamp(std::uint32_t seconds);

}  // namespace qs
