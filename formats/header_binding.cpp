#include "formats/header_binding.h"

#include <charconv>
#include <string>
#include <string_view>

namespace qs {
namespace {

constexpr std::string_view kCompressedKey = "komprimerad=";
constexpr std::string_view kSizeKey = " storlek=";

}  // namespace

WideText HeaderBindingText(const HeaderBinding& binding) {
  const std::string text = std::string(kCompressedKey) + (binding.compressed ? "1" : "0") +
                           std::string(kSizeKey) + std::to_string(binding.plainSize);
  return WideText(std::u16string(text.begin(), text.end()));
}

std::optional<HeaderBinding> ParseHeaderBinding(const WideText& message) {
  std::string text;
  for (const char16_t unit : message.units()) {
    if (unit > 0x7F) return std::nullopt;
    text.push_back(static_cast<char>(unit));
  }
  std::string_view rest(text);
  if (!rest.starts_with(kCompressedKey)) return std::nullopt;
  rest.remove_prefix(kCompressedKey.size());
  if (rest.empty() || (rest[0] != '0' && rest[0] != '1')) return std::nullopt;
  HeaderBinding binding;
  binding.compressed = rest[0] == '1';
  rest.remove_prefix(1);
  if (!rest.starts_with(kSizeKey)) return std::nullopt;
  rest.remove_prefix(kSizeKey.size());
  // One spelling per size: digits only, and a leading zero only in "0" itself.
  if (rest.empty() || (rest[0] == '0' && rest.size() > 1)) return std::nullopt;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), binding.plainSize);
  if (error != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
  return binding;
}

}  // namespace qs
