#pragma once
#include <cstdint>

namespace qs::platform {

// A switch for tests that makes one file call fail, the way a full disk, a pulled drive or a
// crash before the rename would, or throw, the way running out of memory in the middle of
// an operation would. A failed call reports FileError::kDiskFull. Counted calls: opening (read or create),
// read, write, flush and the final rename of an atomic write. Inert until a test arms it.

// Arms the switch: the nth counted call from now on (1 = the next one) fails; 0 disarms it.
void FailNthFileCall(std::uint64_t nth);
// Arms the switch to throw instead: the nth counted call calls raise, which throws.
void ThrowAtNthFileCall(std::uint64_t nth, void (*raise)());
// True when the armed call has failed or thrown since the switch was last armed.
bool InjectedFileFaultHit();

// Counts one call; true when it is the one to fail. Throws when it is the one to throw.
bool FileCallFails();

}  // namespace qs::platform
