#include "crypto/symmetric_context.h"

#include <algorithm>

#include "base/constant_time.h"
#include "crypto/random_generator.h"
#include "crypto/secret_bytes.h"
#include "crypto/stitched_seal.h"

namespace qs {

SymmetricContext::SymmetricContext(std::span<const std::uint8_t> masterKey, RandomGenerator* generator)
    : generator_(generator) {
  if (masterKey.size() != kMasterKeyBytes || ct::AllZero(masterKey.data(), masterKey.size())) return;
  CipherContext expander(masterKey);
  std::optional<ByteBuffer> keys = expander.keystream(2 * kMasterKeyBytes);
  if (!keys) return;
  cipher_.emplace(keys->span().first(kMasterKeyBytes));
  authenticator_.emplace(keys->span().subspan(kMasterKeyBytes, kMasterKeyBytes));
  failed_ = !cipher_->ready() || authenticator_->failed();
}

void SymmetricContext::setHook(ProgressHook* hook) {
  if (cipher_) cipher_->setHook(hook);
  if (authenticator_) authenticator_->setHook(hook);
}

bool SymmetricContext::nextIv(std::span<std::uint8_t, kIvBytes> iv) {
  if (failed_ || generator_ == nullptr) return false;
  if (generator_->credit() < RandomGenerator::kRequiredCredit) {
    failed_ = true;
    return false;
  }
  const ByteBuffer drawn = generator_->output(kIvBytes);
  if (drawn.length() != kIvBytes) return false;
  std::copy_n(drawn.data(), kIvBytes, iv.data());
  return true;
}

bool SymmetricContext::encrypt(ByteBuffer& data) {
  if (failed_ || generator_ == nullptr) {
    data.clear();
    return false;
  }
  SecretBytes<kIvBytes> iv;
  if (!nextIv(iv.span())) {
    if (!failed_) data.clear();  // a lack of credit fails the context and leaves the data
    return false;
  }
  return encrypt(data, iv.span());
}

bool SymmetricContext::encrypt(ByteBuffer& data, std::span<const std::uint8_t, kIvBytes> iv) {
  const std::uint32_t length = data.length();
  if (failed_ || SealedSize(length) > 0xFFFFFFFFu) {
    data.clear();
    return false;
  }
  data.prependZeros(kIvBytes);
  data.resize(static_cast<std::uint32_t>(SealedSize(length)));
  if (!seal(data.span(), length, iv)) {
    data.clear();
    return false;
  }
  return true;
}

ByteBuffer SymmetricContext::keyedTag(std::span<const std::uint8_t> message) const {
  if (failed_ || message.size() % CipherContext::kBlockBytes == 0) return {};
  std::optional<Sha256Context> inner = authenticator_->startInner();
  if (!inner) return {};
  inner->setHook(nullptr);  // not the caller's data
  inner->update(message);
  return authenticator_->finish(*inner);
}

bool SymmetricContext::decrypt(ByteBuffer& data) {
  const std::optional<std::span<std::uint8_t>> plain = open(data.span());
  if (!plain) {
    data.clear();
    return false;
  }
  const auto length = static_cast<std::uint32_t>(plain->size());
  data.dropFront(kIvBytes);
  data.resize(length);
  return true;
}

bool SymmetricContext::seal(std::span<std::uint8_t> buffer, std::uint32_t length,
                            std::span<const std::uint8_t, kIvBytes> iv) {
  const std::optional<std::span<std::uint8_t>> body = sealedBody({buffer, length, iv});
  if (!body) return false;
  std::optional<Sha256Context> inner = authenticator_->startInner();
  return inner && EncryptAndHash(*cipher_, {*body, length, *inner}) && putMac(*inner, buffer, body->size());
}

bool SymmetricContext::sealPair(const SealRequest& first, const SealRequest& second) {
  const std::optional<std::span<std::uint8_t>> firstBody = sealedBody(first);
  const std::optional<std::span<std::uint8_t>> secondBody = sealedBody(second);
  if (!firstBody || !secondBody) return false;
  std::optional<Sha256Context> firstInner = authenticator_->startInner();
  std::optional<Sha256Context> secondInner = authenticator_->startInner();
  return firstInner && secondInner &&
         EncryptAndHashPair(*cipher_, {*firstBody, first.length, *firstInner},
                            {*secondBody, second.length, *secondInner}) &&
         putMac(*firstInner, first.buffer, firstBody->size()) &&
         putMac(*secondInner, second.buffer, secondBody->size());
}

std::optional<std::span<std::uint8_t>> SymmetricContext::sealedBody(const SealRequest& request) const {
  const std::uint64_t sealed = SealedSize(request.length);
  if (failed_ || request.buffer.size() < sealed) return std::nullopt;
  std::copy(request.iv.begin(), request.iv.end(), request.buffer.begin());
  return request.buffer.first(sealed - kMacBytes);
}

bool SymmetricContext::putMac(Sha256Context& inner, std::span<std::uint8_t> buffer,
                              std::size_t bodyBytes) const {
  const ByteBuffer mac = authenticator_->finish(inner);
  if (mac.length() != kMacBytes) return false;
  std::copy_n(mac.data(), kMacBytes, buffer.begin() + static_cast<std::ptrdiff_t>(bodyBytes));
  return true;
}

std::optional<std::span<std::uint8_t>> SymmetricContext::open(std::span<std::uint8_t> buffer) {
  if (failed_ || buffer.size() < kMacBytes) return std::nullopt;
  const std::span<std::uint8_t> body = buffer.first(buffer.size() - kMacBytes);
  if (!authenticator_->verify(body, buffer.last(kMacBytes)) || body.size() < kIvBytes) return std::nullopt;
  cipher_->setChainingBlock(body.first<kIvBytes>());
  const std::optional<std::uint32_t> length = cipher_->decryptPaddedInPlace(body.subspan(kIvBytes));
  if (!length) return std::nullopt;
  return body.subspan(kIvBytes, *length);
}

}  // namespace qs
