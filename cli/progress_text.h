#pragma once
#include <cstdint>
#include <string>

namespace qs::cli {

// One line of the progress display: percent, speed and time left, for example
// " 42 %   118.3 MB/s   00:07 kvar". Speed and time are left out until they mean something.
std::string ProgressLine(double fraction, std::uint64_t bytesDone, double secondsElapsed);

// A turning bar for work of unknown length (key generation), with the seconds so far.
std::string SpinnerLine(unsigned tick, double secondsElapsed);

}  // namespace qs::cli
