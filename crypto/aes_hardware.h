#pragma once
#include <cstddef>
#include <cstdint>

#include "crypto/aes_key_schedule.h"

namespace qs {

// AES with the processor's AES instructions, byte for byte what the portable rounds give.
// Only for aes_block.cpp, which calls them when HardwareAesEnabled(). Data is blocks * 16
// bytes in place; the chain is the 16-byte CBC chaining value, updated for the next call.
void AesHardwareEncryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data, std::size_t blocks);
void AesHardwareDecryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data, std::size_t blocks);
void AesHardwareEncryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain, std::uint8_t* data,
                           std::size_t blocks);
void AesHardwareDecryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain, std::uint8_t* data,
                           std::size_t blocks);

}  // namespace qs
