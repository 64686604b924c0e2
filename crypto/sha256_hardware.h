#pragma once
#include <cstddef>
#include <cstdint>

#include "crypto/sha256_compress.h"

namespace qs {

// The SHA-256 compression with the processor's SHA instructions over blocks * 64 bytes, the
// same state the portable rounds give. Only for sha256_compress.cpp, which calls it when
// HardwareShaEnabled().
void Sha256HardwareCompress(Sha256State& state, const std::uint8_t* data, std::size_t blocks);

}  // namespace qs
