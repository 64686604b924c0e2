#include "crypto/cipher_context.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "crypto/cbc_hash_hardware.h"
#include "crypto/cpu_features.h"
#include "crypto/sha256.h"

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

// The IV and the padded ciphertext of a length-byte plaintext: what is hashed.
std::size_t HashedBytes(std::uint32_t length) {
  return kAesBlockBytes + static_cast<std::size_t>(length) + CipherContext::PaddingBytes(length);
}

// The stitched loop hashes 64 bytes behind the ones it encrypts: the first 64 hashed bytes
// are final once three blocks are encrypted, so those go first. message holds the IV and
// the padded plaintext; the stream is what is left for the loop.
CbcHashStream StartStitched(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> chain,
                            std::span<std::uint8_t> message) {
  const std::span<std::uint8_t> padded = message.subspan(kAesBlockBytes);
  const std::size_t lead = std::min<std::size_t>(padded.size(), 3 * kAesBlockBytes);
  AesEncryptCbc(schedule, chain, padded.first(lead));
  return {chain.data(), padded.data() + lead, message.data(), (padded.size() - lead) / kSha256BlockBytes, nullptr};
}

// The loop over one message alone, when its hash takes whole blocks now; otherwise nothing
// runs and the finish does it all.
void StitchAlone(const AesKeySchedule& schedule, CbcHashStream& stream, Sha256Context& hash) {
  hash.absorbCompressed(kSha256BlockBytes * stream.steps, [&](Sha256State& state) {
    stream.state = &state;
    CbcEncryptAndHashHardware(schedule, stream);
  });
}

// What the loop left (all of it when it did not run): the rest of the cipher blocks, then the
// rest of the hashed bytes, message being exactly those.
bool FinishStitched(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> chain,
                    const CbcHashStream& stream, std::span<std::uint8_t> message, Sha256Context& hash) {
  AesEncryptCbc(schedule, chain, message.subspan(static_cast<std::size_t>(stream.data - message.data())));
  return hash.update(message.subspan(static_cast<std::size_t>(stream.hashed - message.data())));
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
  if (!padded) return false;
  const bool done =
      InBatches(padded->data(), static_cast<std::uint32_t>(padded->size()), hook_,
                [&](std::span<std::uint8_t> batch) { AesEncryptCbc(schedule_, chain_.span(), batch); });
  chain_.wipe();
  return done;
}

bool CipherContext::encryptPaddedInPlaceAndHash(std::span<std::uint8_t> message, std::uint32_t length,
                                                Sha256Context& hash) {
  if (message.size() < kBlockBytes) {
    chain_.wipe();
    return false;
  }
  if (!stitching()) {
    return encryptPaddedInPlace(message.subspan(kBlockBytes), length) &&
           hash.update(message.first(HashedBytes(length)));
  }
  if (!padInPlace(message.subspan(kBlockBytes), length)) return false;
  message = message.first(HashedBytes(length));
  CbcHashStream stream = StartStitched(schedule_, chain_.span(), message);
  StitchAlone(schedule_, stream, hash);
  const bool done = FinishStitched(schedule_, chain_.span(), stream, message, hash);
  chain_.wipe();
  return done;
}

bool CipherContext::encryptPaddedPairInPlaceAndHash(const HashedMessage& first, const HashedMessage& second) {
  chain_.wipe();
  if (first.message.size() < kBlockBytes || second.message.size() < kBlockBytes) return false;
  if (!stitching()) {
    for (const HashedMessage* one : {&first, &second}) {
      setChainingBlock(one->message.first<kBlockBytes>());
      if (!encryptPaddedInPlaceAndHash(one->message, one->length, one->hash)) return false;
    }
    return true;
  }
  if (!padInPlace(first.message.subspan(kBlockBytes), first.length) ||
      !padInPlace(second.message.subspan(kBlockBytes), second.length)) {
    return false;
  }
  SecretBytes<kBlockBytes> chains[2];
  std::copy_n(first.message.data(), kBlockBytes, chains[0].data());
  std::copy_n(second.message.data(), kBlockBytes, chains[1].data());
  const std::span<std::uint8_t> messages[2] = {first.message.first(HashedBytes(first.length)),
                                               second.message.first(HashedBytes(second.length))};
  CbcHashStream streams[2] = {StartStitched(schedule_, chains[0].span(), messages[0]),
                              StartStitched(schedule_, chains[1].span(), messages[1])};
  // Interleaved when both hashes take whole blocks; otherwise each that does runs alone.
  bool paired = false;
  first.hash.absorbCompressed(kSha256BlockBytes * streams[0].steps, [&](Sha256State& firstState) {
    streams[0].state = &firstState;
    paired = second.hash.absorbCompressed(kSha256BlockBytes * streams[1].steps, [&](Sha256State& state) {
      streams[1].state = &state;
      CbcEncryptAndHashPairHardware(schedule_, streams[0], streams[1]);
    });
    if (!paired) CbcEncryptAndHashHardware(schedule_, streams[0]);
  });
  if (!paired) StitchAlone(schedule_, streams[1], second.hash);
  return FinishStitched(schedule_, chains[0].span(), streams[0], messages[0], first.hash) &&
         FinishStitched(schedule_, chains[1].span(), streams[1], messages[1], second.hash);
}

bool CipherContext::stitching() const { return hook_ == nullptr && HardwareAesEnabled() && HardwareShaEnabled(); }

std::optional<std::uint32_t> CipherContext::decryptPaddedInPlace(std::span<std::uint8_t> data) {
  if (!ready() || data.empty() || data.size() % kBlockBytes != 0 || data.size() > 0xFFFFFFFFu) {
    chain_.wipe();
    return std::nullopt;
  }
  const bool done =
      InBatches(data.data(), static_cast<std::uint32_t>(data.size()), hook_,
                [&](std::span<std::uint8_t> batch) { AesDecryptCbc(schedule_, chain_.span(), batch); });
  chain_.wipe();
  if (!done) return std::nullopt;
  // The ciphertext is authenticated before it is decrypted, so this check on the padding
  // byte tells an attacker nothing the MAC has not already settled.
  const std::uint32_t count = data.back();
  if (count > kBlockBytes) return std::nullopt;
  return static_cast<std::uint32_t>(data.size()) - count;
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
