#include "crypto/stitched_seal.h"

#include <algorithm>

#include "crypto/cbc_hash_hardware.h"
#include "crypto/cpu_features.h"
#include "crypto/secret_bytes.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

constexpr std::uint32_t kIvBytes = CipherContext::kBlockBytes;

// The IV and the padded ciphertext of a length-byte plaintext: what is hashed.
std::size_t HashedBytes(std::uint32_t length) {
  return kIvBytes + static_cast<std::size_t>(length) + CipherContext::PaddingBytes(length);
}

// A hook counts blocks as the two steps would, so only an unhooked cipher takes the combined path.
bool Stitching(const CipherContext& cipher) {
  return !cipher.hooked() && HardwareAesEnabled() && HardwareShaEnabled();
}

// The steps one after the other, with the cipher's own chaining block.
bool EncryptThenHash(CipherContext& cipher, const MessageToSeal& one) {
  cipher.setChainingBlock(one.message.first<kIvBytes>());
  return cipher.encryptPaddedInPlace(one.message.subspan(kIvBytes), one.length) &&
         one.hash.update(one.message.first(HashedBytes(one.length)));
}

// One message on the combined path: its own chain, started from its IV, and the bytes hashed.
struct Stitched {
  SecretBytes<kIvBytes> chain;
  std::span<std::uint8_t> hashed;
  CbcHashStream stream;
};

// The loop hashes 64 bytes behind the ones it encrypts: the first 64 hashed bytes are final
// once three blocks are encrypted, so those go first. The stream is what is left for the loop.
void Start(const AesKeySchedule& schedule, const MessageToSeal& one, Stitched& out) {
  std::copy_n(one.message.data(), kIvBytes, out.chain.data());
  out.hashed = one.message.first(HashedBytes(one.length));
  const std::span<std::uint8_t> padded = out.hashed.subspan(kIvBytes);
  const std::size_t lead = std::min<std::size_t>(padded.size(), 3 * kAesBlockBytes);
  AesEncryptCbc(schedule, out.chain.span(), padded.first(lead));
  out.stream = {out.chain.data(), padded.data() + lead, out.hashed.data(),
                (padded.size() - lead) / kSha256BlockBytes, nullptr};
}

// The loop over one message alone, when its hash takes whole blocks now; otherwise nothing
// runs and the finish does it all.
void RunAlone(const AesKeySchedule& schedule, Stitched& one, Sha256Context& hash) {
  hash.absorbCompressed(kSha256BlockBytes * one.stream.steps, [&](Sha256State& state) {
    one.stream.state = &state;
    CbcEncryptAndHashHardware(schedule, one.stream);
  });
}

// What the loop left (all of it when it did not run): the rest of the cipher blocks, then the
// rest of the hashed bytes.
bool Finish(const AesKeySchedule& schedule, Stitched& one, Sha256Context& hash) {
  const std::span<std::uint8_t> hashed = one.hashed;
  AesEncryptCbc(schedule, one.chain.span(),
                hashed.subspan(static_cast<std::size_t>(one.stream.data - hashed.data())));
  return hash.update(hashed.subspan(static_cast<std::size_t>(one.stream.hashed - hashed.data())));
}

// The IV is there and the plaintext has room for its padding, which is then written.
bool Padded(CipherContext& cipher, const MessageToSeal& one) {
  return one.message.size() >= kIvBytes && cipher.padInPlace(one.message.subspan(kIvBytes), one.length);
}

}  // namespace

bool EncryptAndHash(CipherContext& cipher, const MessageToSeal& message) {
  if (message.message.size() < kIvBytes) return false;
  if (!Stitching(cipher)) return EncryptThenHash(cipher, message);
  if (!Padded(cipher, message)) return false;
  Stitched one;
  Start(cipher.schedule(), message, one);
  RunAlone(cipher.schedule(), one, message.hash);
  return Finish(cipher.schedule(), one, message.hash);
}

bool EncryptAndHashPair(CipherContext& cipher, const MessageToSeal& first, const MessageToSeal& second) {
  if (first.message.size() < kIvBytes || second.message.size() < kIvBytes) return false;
  if (!Stitching(cipher)) return EncryptThenHash(cipher, first) && EncryptThenHash(cipher, second);
  if (!Padded(cipher, first) || !Padded(cipher, second)) return false;
  const AesKeySchedule& schedule = cipher.schedule();
  Stitched ones[2];
  Start(schedule, first, ones[0]);
  Start(schedule, second, ones[1]);
  // Interleaved when both hashes take whole blocks; otherwise each that does runs alone.
  bool paired = false;
  first.hash.absorbCompressed(kSha256BlockBytes * ones[0].stream.steps, [&](Sha256State& firstState) {
    ones[0].stream.state = &firstState;
    paired = second.hash.absorbCompressed(kSha256BlockBytes * ones[1].stream.steps, [&](Sha256State& state) {
      ones[1].stream.state = &state;
      CbcEncryptAndHashPairHardware(schedule, ones[0].stream, ones[1].stream);
    });
    if (!paired) CbcEncryptAndHashHardware(schedule, ones[0].stream);
  });
  if (!paired) RunAlone(schedule, ones[1], second.hash);
  return Finish(schedule, ones[0], first.hash) && Finish(schedule, ones[1], second.hash);
}

}  // namespace qs
