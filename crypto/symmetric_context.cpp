#include "crypto/symmetric_context.h"

#include <algorithm>

#include "crypto/random_generator.h"
#include "crypto/secret_bytes.h"

namespace qs {
namespace {

bool AllZero(std::span<const std::uint8_t> key) {
  std::uint8_t acc = 0;
  for (std::uint8_t b : key) acc |= b;
  return acc == 0;
}

}  // namespace

SymmetricContext::SymmetricContext(std::span<const std::uint8_t> masterKey, RandomGenerator* generator)
    : generator_(generator) {
  if (masterKey.size() != kMasterKeyBytes || AllZero(masterKey)) return;
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
  if (failed_) {
    data.clear();
    return false;
  }
  cipher_->setChainingBlock(iv);
  if (!cipher_->encryptPadded(data)) return false;  // the cipher has emptied the buffer
  data.prepend(iv.data(), kIvBytes);
  const ByteBuffer mac = authenticator_->compute(data.span());
  if (mac.empty()) {
    data.clear();
    return false;
  }
  data.append(mac);
  return true;
}

bool SymmetricContext::decrypt(ByteBuffer& data) {
  if (failed_ || data.length() < kMacBytes) {
    data.clear();
    return false;
  }
  const std::uint32_t sealedLength = data.length() - kMacBytes;
  const ByteBuffer mac = data.slice(kMacBytes, sealedLength);
  data.resize(sealedLength);
  if (!authenticator_->verify(data.span(), mac.span()) || data.length() < kIvBytes) {
    data.clear();
    return false;
  }
  SecretBytes<kIvBytes> iv;
  std::copy_n(data.data(), kIvBytes, iv.data());
  data.dropFront(kIvBytes);
  cipher_->setChainingBlock(iv.span());
  if (!cipher_->decryptPadded(data)) {
    data.clear();
    return false;
  }
  return true;
}

}  // namespace qs
