#pragma once
// One fuzz target per decoder of outside data. Each target is a function that must accept any
// bytes without a crash, a leak or undefined behaviour; round-trip targets abort on any
// difference. The same source builds into a libFuzzer program (build/fuzz, clang) and into
// the unit tests, which replay the saved corpus of every target.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/byte_buffer.h"

namespace qs::fuzz {

using Target = void (*)(std::span<const std::uint8_t> data);

struct NamedTarget {
  std::string name;
  Target run;
};

std::vector<NamedTarget>& Targets();
bool Register(const char* name, Target run);

// A fixed key pair (2048-bit encryption and signing keys) for targets that need one.
struct FixedKeyPair {
  ByteBuffer privateRecord;
  ByteBuffer publicRecord;
};
const FixedKeyPair& FixedKeys();

// The session key of the native-file target; its seeds are sealed under it.
inline constexpr std::uint8_t kFixedSessionKey[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                      12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                                      23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
// The keyId of the one trusted authority of the certificate target (the fixed signing key).
inline constexpr char kFixedAuthorityKeyId[] = "fuzzkey1";

// The hex value of key ("Private" or "Public") of the named pair in the test key file, for
// programs that run outside the unit tests.
ByteBuffer KeyFromPairsFile(const std::string& path, const std::string& pair, const std::string& key);

// Stops the program at once: the target found a difference or a broken promise.
[[noreturn]] void Fail(const char* what);

// A file with these bytes for targets whose decoder reads a file; one per process, rewritten
// on every call.
std::string WriteInputFile(std::span<const std::uint8_t> data);

}  // namespace qs::fuzz

#define QS_FUZZ_TARGET(name)                                           \
  static void QsFuzzTarget_##name(std::span<const std::uint8_t> data); \
  [[maybe_unused]] static const bool qs_fuzz_registered_##name =       \
      ::qs::fuzz::Register(#name, QsFuzzTarget_##name);                \
  static void QsFuzzTarget_##name(std::span<const std::uint8_t> data)
