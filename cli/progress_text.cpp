#include "cli/progress_text.h"

#include <cstdio>

#include "cli/messages.h"

namespace qs::cli {
namespace {

std::string MinutesSeconds(double seconds) {
  const auto whole = static_cast<unsigned long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%02lu:%02lu", whole / 60, whole % 60);
  return text;
}

}  // namespace

std::string ProgressLine(double fraction, std::uint64_t bytesDone, double secondsElapsed) {
  if (fraction < 0) fraction = 0;
  if (fraction > 1) fraction = 1;
  char text[96];
  int n = std::snprintf(text, sizeof text, "%3d %%", static_cast<int>(fraction * 100));
  std::string line(text, static_cast<std::size_t>(n));
  if (secondsElapsed >= 0.5 && bytesDone > 0) {
    n = std::snprintf(text, sizeof text, "   %7.1f MB/s",
                      static_cast<double>(bytesDone) / 1e6 / secondsElapsed);
    line.append(text, static_cast<std::size_t>(n));
    if (fraction > 0.01 && fraction < 1) {
      line += "   " + MinutesSeconds(secondsElapsed * (1 - fraction) / fraction) + cli_text::kTimeLeft;
    }
  }
  return line;
}

std::string SpinnerLine(unsigned tick, double secondsElapsed) {
  static constexpr char kFrames[] = "|/-\\";
  return std::string(1, kFrames[tick % 4]) + " " + MinutesSeconds(secondsElapsed);
}

}  // namespace qs::cli
