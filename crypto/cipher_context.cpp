#include "crypto/cipher_context.h"

#include <algorithm>
#include <cstring>

namespace qs {
namespace {

using Block = std::span<std::uint8_t, kAesBlockBytes>;

Block BlockAt(std::uint8_t* bytes, std::uint32_t offset) { return Block(bytes + offset, kAesBlockBytes); }

void XorInto(Block target, std::span<const std::uint8_t, kAesBlockBytes> source) {
  for (std::size_t i = 0; i < kAesBlockBytes; ++i) target[i] ^= source[i];
}

bool BlockDone(ProgressHook* hook) {
  return AdvanceAndContinue(hook, static_cast<std::int32_t>(kAesBlockBytes));
}

}  // namespace

CipherContext::CipherContext(std::span<const std::uint8_t> key) { schedule_.expand(key); }

void CipherContext::setChainingBlock(std::span<const std::uint8_t, kBlockBytes> iv) {
  std::memcpy(chain_.data(), iv.data(), kBlockBytes);
}

bool CipherContext::encryptPadded(ByteBuffer& data) {
  if (!ready()) {
    chain_.wipe();
    data.clear();
    return false;
  }
  const std::uint32_t pad = kBlockBytes - data.length() % kBlockBytes;
  data.appendZeros(pad);
  data.at(data.length() - 1) = static_cast<std::uint8_t>(pad);

  // Each plaintext block is overwritten by its ciphertext, which is then the chaining value.
  std::uint8_t* bytes = data.data();
  for (std::uint32_t offset = 0; offset < data.length(); offset += kBlockBytes) {
    const Block block = BlockAt(bytes, offset);
    XorInto(block, chain_.span());
    AesEncryptBlock(schedule_, block);
    std::memcpy(chain_.data(), block.data(), kBlockBytes);
    if (!BlockDone(hook_)) {
      chain_.wipe();
      data.clear();
      return false;
    }
  }
  chain_.wipe();
  return true;
}

bool CipherContext::decryptPadded(ByteBuffer& data) {
  if (!ready() || data.empty() || data.length() % kBlockBytes != 0) {
    chain_.wipe();
    return false;
  }
  // A copy, so that every failure leaves the caller's ciphertext as it was.
  ByteBuffer work(data);
  SecretBytes<kBlockBytes> ciphertext;
  std::uint8_t* bytes = work.data();
  for (std::uint32_t offset = 0; offset < work.length(); offset += kBlockBytes) {
    const Block block = BlockAt(bytes, offset);
    std::memcpy(ciphertext.data(), block.data(), kBlockBytes);
    AesDecryptBlock(schedule_, block);
    XorInto(block, chain_.span());
    chain_ = ciphertext;
    if (!BlockDone(hook_)) {
      chain_.wipe();
      return false;
    }
  }
  chain_.wipe();

  // The ciphertext is authenticated before it is decrypted, so this check on the padding
  // byte tells an attacker nothing the MAC has not already settled.
  const std::uint32_t count = work.at(work.length() - 1);
  if (count > kBlockBytes) return false;
  work.resize(work.length() - count);
  data = std::move(work);
  return true;
}

bool CipherContext::encryptPool(std::span<std::uint8_t, kPoolBytes> pool) {
  if (!ready()) return false;
  for (std::uint32_t offset = 0; offset < kPoolBytes; offset += kBlockBytes) {
    AesEncryptBlock(schedule_, BlockAt(pool.data(), offset));
    if (!BlockDone(hook_)) return false;
  }
  return true;
}

std::optional<ByteBuffer> CipherContext::keystream(std::uint32_t length) {
  if (!ready()) return std::nullopt;
  // Filled block by block from a wiped temporary, so the last partial block needs no
  // oversized buffer and lengths up to 2^32 - 1 cannot overflow.
  ByteBuffer out = ByteBuffer::zeros(length);
  SecretBytes<kBlockBytes> block;
  std::uint32_t counter = 0;
  for (std::uint64_t offset = 0; offset < length; offset += kBlockBytes, ++counter) {
    for (std::uint32_t i = 0; i < kBlockBytes; ++i)
      block[i] = static_cast<std::uint8_t>(counter >> (8 * (i % 4)));
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
