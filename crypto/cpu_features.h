#pragma once

namespace qs {

// Which processor instructions the hashing, cipher and big-number code may use, asked of the
// processor once (cpuid). Setting QS_PORTABLE_CRYPTO=1 in the environment, or calling
// ForcePortableCrypto(true), makes every primitive take its portable path; the output is the
// same either way, only the speed differs.
bool HardwareAesEnabled();
bool HardwareShaEnabled();
// The 52-bit multiply-add instructions on 512-bit vectors, with the system saving those
// registers.
bool HardwareIfmaEnabled();

// For tests and benchmarks: true forces the portable paths, false goes back to what the
// processor offers.
void ForcePortableCrypto(bool portable);

}  // namespace qs
