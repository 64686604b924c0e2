#include "crypto/hmac_sha256.h"

#include "base/constant_time.h"

namespace qs {

HmacSha256Context::HmacSha256Context(std::span<const std::uint8_t> key) {
  if (key.size() < kMinKeyBytes || key.size() > kMaxKeyBytes) {
    failed_ = true;
    return;
  }
  for (std::size_t i = 0; i < kSha256BlockBytes; ++i) {
    const std::uint8_t k = i < key.size() ? key[i] : 0;
    innerKey_[i] = static_cast<std::uint8_t>(k ^ 0x36);
    outerKey_[i] = static_cast<std::uint8_t>(k ^ 0x5C);
  }
}

std::optional<Sha256Context> HmacSha256Context::startInner() const {
  if (failed_) return std::nullopt;
  std::optional<Sha256Context> inner(std::in_place);
  inner->update(innerKey_.span());
  inner->setHook(hook_);  // only now, so that progress counts message bytes
  return inner;
}

ByteBuffer HmacSha256Context::finish(Sha256Context& inner) const {
  if (failed_) return {};
  SecretBytes<kSha256DigestBytes> innerDigest;
  inner.digest(innerDigest.span());
  Sha256Context outer;
  outer.update(outerKey_.span());
  outer.update(innerDigest.span());
  ByteBuffer mac;
  outer.digest(mac);
  return mac;
}

ByteBuffer HmacSha256Context::compute(std::span<const std::uint8_t> message) const {
  std::optional<Sha256Context> inner = startInner();
  if (!inner || !inner->update(message)) return {};
  return finish(*inner);
}

bool HmacSha256Context::verify(std::span<const std::uint8_t> message,
                               std::span<const std::uint8_t> expected) const {
  if (failed_) return false;
  const ByteBuffer mac = compute(message);
  if (mac.empty() || expected.size() != mac.length()) return false;
  return ct::Equal(mac.data(), expected.data(), mac.length());
}

}  // namespace qs
