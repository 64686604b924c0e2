#include "crypto/sender_binding.h"

#include <algorithm>
#include <string_view>

#include "base/constant_time.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

constexpr std::size_t kHalf = SymmetricContext::kIvBytes / 2;
constexpr std::string_view kMarkerLabel = "QuillsealBound";
constexpr std::string_view kSenderLabel = "QuillsealSender";

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

ByteBuffer MarkerTag(const SymmetricContext& context) { return context.keyedTag(Bytes(kMarkerLabel)); }

ByteBuffer SenderTag(const SymmetricContext& context, const ByteBuffer& senderPublic) {
  ByteBuffer message(Bytes(kSenderLabel));
  const ByteBuffer fingerprint = Sha256(senderPublic.span());
  message.append(fingerprint.data(), fingerprint.length());
  return context.keyedTag(message.span());
}

}  // namespace

std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>> SenderBoundIv(
    const SymmetricContext& context, const ByteBuffer& senderPublic) {
  const ByteBuffer marker = MarkerTag(context);
  const ByteBuffer sender = SenderTag(context, senderPublic);
  if (marker.length() < kHalf || sender.length() < kHalf) return std::nullopt;
  std::array<std::uint8_t, SymmetricContext::kIvBytes> iv{};
  std::copy_n(marker.data(), kHalf, iv.begin());
  std::copy_n(sender.data(), kHalf, iv.begin() + kHalf);
  return iv;
}

SenderBinding CheckSenderBinding(const SymmetricContext& context,
                                 std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv,
                                 const ByteBuffer& senderPublic) {
  const ByteBuffer marker = MarkerTag(context);
  const ByteBuffer sender = SenderTag(context, senderPublic);
  if (marker.length() < kHalf || sender.length() < kHalf) return SenderBinding::kOtherSender;
  if (!ct::Equal(iv.data(), marker.data(), kHalf)) return SenderBinding::kUnbound;
  return ct::Equal(iv.data() + kHalf, sender.data(), kHalf) ? SenderBinding::kBound
                                                            : SenderBinding::kOtherSender;
}

}  // namespace qs
