#include "crypto/cipher_context.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"

namespace qs {
namespace {

// Blocks handed to the AES functions at once: enough for the hardware path to keep several in
// flight, few enough that a cancel is noticed at once.
constexpr std::uint32_t kBatchBytes = 32 * kAesBlockBytes;

bool BlockDone(ProgressHook* hook) {
  return AdvanceAndContinue(hook, static_cast<std::int32_t>(kAesBlockBytes));
}

// Counts each block of a finished batch; false as soon as a cancel is seen.
bool BatchDone(ProgressHook* hook, std::uint32_t bytes) {
  for (std::uint32_t done = 0; done < bytes; done += kAesBlockBytes) {
    if (!BlockDone(hook)) return false;
  }
  return true;
}

// Runs work over data in batches, counting blocks; false when cancelled. A cancel that is
// already asked for lets only one more block through, as block-by-block work would.
template <typename Work>
bool InBatches(std::uint8_t* data, std::uint32_t length, ProgressHook* hook, Work work) {
  for (std::uint32_t offset = 0, bytes = 0; offset < length; offset += bytes) {
    const std::uint32_t batch = hook != nullptr && hook->cancelRequested() ? kAesBlockBytes : kBatchBytes;
    bytes = std::min(batch, length - offset);
    work(std::span<std::uint8_t>(data + offset, bytes));
    if (!BatchDone(hook, bytes)) return false;
  }
  return true;
}

}  // namespace

CipherContext::CipherContext(std::span<const std::uint8_t> key) { schedule_.expand(key); }

void CipherContext::setChainingBlock(std::span<const std::uint8_t, kBlockBytes> iv) {
  std::memcpy(chain_.data(), iv.data(), kBlockBytes);
}

bool CipherContext::encryptPadded(ByteBuffer& data) {
  const std::uint32_t length = data.length();
  data.appendZeros(PaddingBytes(length));
  const bool done = encryptPaddedInPlace(data.span(), length);
  if (!done) data.clear();
  return done;
}

bool CipherContext::decryptPadded(ByteBuffer& data) {
  // A copy, so that every failure leaves the caller's ciphertext as it was.
  ByteBuffer work(data);
  const std::optional<std::uint32_t> length = decryptPaddedInPlace(work.span());
  if (!length) return false;
  work.resize(*length);
  data = std::move(work);
  return true;
}

std::optional<std::span<std::uint8_t>> CipherContext::padInPlace(std::span<std::uint8_t> data,
                                                                 std::uint32_t length) {
  const std::uint64_t padded = static_cast<std::uint64_t>(length) + PaddingBytes(length);
  if (!ready() || data.size() < padded) {
    chain_.wipe();
    return std::nullopt;
  }
  data = data.first(padded);
  std::fill(data.begin() + length, data.end(), std::uint8_t{0});
  data.back() = static_cast<std::uint8_t>(PaddingBytes(length));
  return data;
}

bool CipherContext::encryptPaddedInPlace(std::span<std::uint8_t> data, std::uint32_t length) {
  const std::optional<std::span<std::uint8_t>> padded = padInPlace(data, length);
  const bool done = padded && encryptBlocksInPlace(*padded);
  chain_.wipe();
  return done;
}

std::optional<std::uint32_t> CipherContext::decryptPaddedInPlace(std::span<std::uint8_t> data) {
  const bool done = !data.empty() && decryptBlocksInPlace(data);
  chain_.wipe();
  if (!done) return std::nullopt;
  // The ciphertext is authenticated before it is decrypted, so this check on the padding
  // byte tells an attacker nothing the MAC has not already settled.
  const std::uint32_t count = data.back();
  if (count > kBlockBytes) return std::nullopt;
  return static_cast<std::uint32_t>(data.size()) - count;
}

bool CipherContext::encryptBlocksInPlace(std::span<std::uint8_t> data) {
  return cbcInPlace(data, AesEncryptCbc);
}

bool CipherContext::decryptBlocksInPlace(std::span<std::uint8_t> data) {
  return cbcInPlace(data, AesDecryptCbc);
}

bool CipherContext::cbcInPlace(std::span<std::uint8_t> data, CbcDirection direction) {
  if (!ready() || data.size() % kBlockBytes != 0 || data.size() > 0xFFFFFFFFu) return false;
  return InBatches(data.data(), static_cast<std::uint32_t>(data.size()), hook_,
                   [&](std::span<std::uint8_t> batch) { direction(schedule_, chain_.span(), batch); });
}

bool CipherContext::encryptPool(std::span<std::uint8_t, kPoolBytes> pool) {
  if (!ready()) return false;
  return InBatches(pool.data(), kPoolBytes, hook_,
                   [&](std::span<std::uint8_t> batch) { AesEncryptBlocks(schedule_, batch); });
}

std::optional<ByteBuffer> CipherContext::keystream(std::uint32_t length) {
  if (!ready()) return std::nullopt;
  // Filled block by block from a wiped temporary, so the last partial block needs no
  // oversized buffer and lengths up to 2^32 - 1 cannot overflow.
  ByteBuffer out = ByteBuffer::zeros(length);
  SecretBytes<kBlockBytes> block;
  std::uint32_t counter = 0;
  for (std::uint64_t offset = 0; offset < length; offset += kBlockBytes, ++counter) {
    for (std::uint32_t i = 0; i < kBlockBytes; i += 4) StoreLe32(block.data() + i, counter);
    AesEncryptBlock(schedule_, block.span());
    std::memcpy(out.data() + offset, block.data(), std::min<std::uint64_t>(kBlockBytes, length - offset));
    if (!BlockDone(hook_)) return std::nullopt;
  }
  return out;
}

bool CipherContext::encryptBlock(std::span<std::uint8_t, kBlockBytes> block) const {
  if (!ready()) {
    std::fill(block.begin(), block.end(), std::uint8_t{0});
    return false;
  }
  AesEncryptBlock(schedule_, block);
  return true;
}

bool CipherContext::decryptBlock(std::span<std::uint8_t, kBlockBytes> block) const {
  if (!ready()) return false;
  AesDecryptBlock(schedule_, block);
  return true;
}

}  // namespace qs
