#include "base/visible_text.h"

#include <cstdint>
#include <optional>

namespace qs {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// The characters of the general categories Cc, Cf, Zl and Zp (Unicode 15.1).
constexpr Range kHidden[] = {
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
    {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
};

bool Hidden(char32_t c) {
  for (const Range& range : kHidden) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

struct Decoded {
  char32_t code;
  std::size_t length;
};

// The character whose UTF-8 sequence starts at text[i]; nothing when none does there: a
// continuation byte, a cut or overlong sequence, a surrogate or a value above U+10FFFF.
std::optional<Decoded> DecodeAt(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  if (lead < 0x80) return Decoded{lead, 1};
  // The lead byte tells the length; each length has a least value it may encode.
  std::size_t length = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  } else {
    return std::nullopt;
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  char32_t code = lead & (0x7F >> length);
  if (text.size() - i < length) return std::nullopt;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return std::nullopt;
  return Decoded{code, length};
}

void AppendEscape(std::string& out, char kind, std::uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '\\';
  out += kind;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<Decoded> decoded = DecodeAt(text, i);
    if (!decoded) {
      AppendEscape(out, 'x', static_cast<std::uint8_t>(text[i]), 2);
      ++i;
      continue;
    }
    const char32_t code = decoded->code;
    if (!Hidden(code)) {
      out.append(text.substr(i, decoded->length));
    } else if (code < 0x80) {
      AppendEscape(out, 'x', code, 2);
    } else if (code <= 0xFFFF) {
      AppendEscape(out, 'u', code, 4);
    } else {
      AppendEscape(out, 'U', code, 8);
    }
    i += decoded->length;
  }
  return out;
}

}  // namespace qs
