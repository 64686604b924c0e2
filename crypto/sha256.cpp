#include "crypto/sha256.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "base/secure_wipe.h"

namespace qs {
namespace {

constexpr Sha256State kInitialState = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// Whole input blocks compressed in one call; a cancel is noticed after each batch.
constexpr std::size_t kBatchBytes = 64 * kSha256BlockBytes;

}  // namespace

void Sha256Context::reset() {
  restart();
  hook_ = nullptr;
}

void Sha256Context::restart() noexcept {
  state_ = kInitialState;
  count_ = 0;
  block_.wipe();
  finished_ = false;
}

bool Sha256Context::update(std::span<const std::uint8_t> bytes) {
  if (finished_) restart();
  std::size_t used = count_ % kSha256BlockBytes;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t compressed = kSha256BlockBytes;
    if (used == 0 && bytes.size() - i >= kSha256BlockBytes) {
      // Whole blocks are compressed straight from the input, a batch at a time.
      compressed = std::min(kBatchBytes, (bytes.size() - i) / kSha256BlockBytes * kSha256BlockBytes);
      Sha256CompressBlocks(state_, bytes.subspan(i, compressed));
      i += compressed;
    } else {
      const std::size_t take = std::min(kSha256BlockBytes - used, bytes.size() - i);
      std::memcpy(block_.data() + used, bytes.data() + i, take);
      used += take;
      i += take;
      if (used < kSha256BlockBytes) break;
      Sha256Compress(state_, block_.span());
      block_.wipe();
      used = 0;
    }
    for (std::size_t done = 0; done < compressed; done += kSha256BlockBytes) {
      if (!AdvanceAndContinue(hook_, static_cast<std::int32_t>(kSha256BlockBytes))) {
        restart();
        return false;
      }
    }
  }
  count_ += bytes.size();
  return true;
}

void Sha256Context::finish() {
  const std::size_t used = count_ % kSha256BlockBytes;
  block_[used] = 0x80;
  if (used >= kSha256BlockBytes - 8) {
    Sha256Compress(state_, block_.span());
    block_.wipe();
  }
  const std::uint64_t bits = count_ * 8;
  StoreBe64(block_.data() + kSha256BlockBytes - 8, bits);
  Sha256Compress(state_, block_.span());
  block_.wipe();
  finished_ = true;
}

void Sha256Context::digest(std::span<std::uint8_t, kSha256DigestBytes> out) {
  if (!finished_) finish();
  for (std::size_t w = 0; w < state_.size(); ++w) StoreLe32(out.data() + 4 * w, state_[w]);
}

void Sha256Context::digest(ByteBuffer& out) {
  out.allocate(kSha256DigestBytes);
  digest(std::span<std::uint8_t, kSha256DigestBytes>(out.data(), kSha256DigestBytes));
}

void Sha256Context::wipe() noexcept {
  SecureWipe(state_.data(), sizeof(state_));
  SecureWipe(&count_, sizeof(count_));
  restart();
}

ByteBuffer Sha256(std::span<const std::uint8_t> bytes) {
  Sha256Context context;
  context.update(bytes);
  ByteBuffer out;
  context.digest(out);
  return out;
}

}  // namespace qs
