#include "base/timestamp.h"

#include <cstdio>

#include "platform/local_time.h"

namespace qs {

TextString FormatTimestamp(std::uint32_t seconds) {
  const std::optional<std::tm> local = platform::LocalCalendarTime(seconds);
  if (!local) return TextString();
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                local->tm_mday, local->tm_hour, local->tm_min);
  return TextString(text);
}

}  // namespace qs
