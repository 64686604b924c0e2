#include "crypto/symmetric_stream.h"

#include <algorithm>

#include "base/constant_time.h"

namespace qs {

StreamSealer::StreamSealer(SymmetricContext& context, std::span<const std::uint8_t, kIvBytes> iv)
    : context_(context) {
  if (context_.failed_) return;
  inner_ = context_.authenticator_->startInner();
  context_.cipher_->setChainingBlock(iv);
  if (inner_ && !inner_->update(iv)) inner_.reset();
}

bool StreamSealer::seal(std::span<std::uint8_t> blocks) {
  if (!inner_) return false;
  if (!context_.cipher_->encryptBlocksInPlace(blocks) || !inner_->update(blocks)) inner_.reset();
  return inner_.has_value();
}

std::optional<std::span<std::uint8_t>> StreamSealer::sealLast(std::span<std::uint8_t> buffer,
                                                              std::uint32_t length) {
  const std::uint64_t padded = LastBytes(length) - kMacBytes;
  const bool sealed = inner_ && buffer.size() >= LastBytes(length) &&
                      context_.cipher_->encryptPaddedInPlace(buffer, length) &&
                      inner_->update(buffer.first(padded));
  const ByteBuffer mac = sealed ? context_.authenticator_->finish(*inner_) : ByteBuffer();
  inner_.reset();
  if (mac.length() != kMacBytes) return std::nullopt;
  std::copy_n(mac.data(), kMacBytes, buffer.begin() + static_cast<std::ptrdiff_t>(padded));
  return buffer.first(padded + kMacBytes);
}

StreamOpener::StreamOpener(SymmetricContext& context, std::span<const std::uint8_t, kIvBytes> iv)
    : context_(context) {
  std::copy(iv.begin(), iv.end(), iv_.begin());
  if (context_.failed_) return;
  context_.cipher_->setChainingBlock(iv);
  startPass(true);
}

void StreamOpener::startPass(bool counted) {
  if (context_.failed_) return;
  inner_ = context_.authenticator_->startInner();
  if (inner_ && !counted) inner_->setHook(nullptr);
  if (inner_ && !inner_->update(iv_)) inner_.reset();
}

bool StreamOpener::absorb(std::span<const std::uint8_t> ciphertext) {
  if (inner_ && !inner_->update(ciphertext)) inner_.reset();
  return inner_.has_value();
}

bool StreamOpener::authentic(std::span<const std::uint8_t, kMacBytes> mac) {
  const ByteBuffer computed = inner_ ? context_.authenticator_->finish(*inner_) : ByteBuffer();
  startPass(false);
  return computed.length() == kMacBytes && ct::Equal(computed.data(), mac.data(), kMacBytes);
}

bool StreamOpener::open(std::span<std::uint8_t> blocks) {
  return !context_.failed_ && context_.cipher_->decryptBlocksInPlace(blocks);
}

std::optional<std::uint32_t> StreamOpener::openLast(std::span<std::uint8_t> blocks) {
  if (context_.failed_) return std::nullopt;
  return context_.cipher_->decryptPaddedInPlace(blocks);
}

}  // namespace qs
