#include "base/windows1252.h"

#include <cstdint>

#include "base/utf8.h"

namespace qs {
namespace {

constexpr char32_t kReplacement = U'?';

// Windows-1252 bytes 0x80..0x9F; the five undefined bytes map to themselves as C1 controls,
// so every byte converts and converts back.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ToUnicode(std::uint8_t b) {
  return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
}

std::uint8_t FromUnicode(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return static_cast<std::uint8_t>(c);
  for (std::uint8_t i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  }
  return static_cast<std::uint8_t>(kReplacement);
}

// Decodes one code point at position i and advances i; malformed input yields '?'.
char32_t NextUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (byte(i++) & 0x3F);
  }
  return c;
}

}  // namespace

ByteBuffer Utf8ToWindows1252(std::string_view utf8) {
  ByteBuffer out;
  for (std::size_t i = 0; i < utf8.size();) out.appendU8(FromUnicode(NextUtf8(utf8, i)));
  return out;
}

std::optional<Utf8Character> FirstCharacterOutsideWindows1252(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const char32_t c = NextUtf8(utf8, i);
    if (FromUnicode(c) != kReplacement || utf8[start] == kReplacement) continue;
    Utf8Character character{std::string(utf8.substr(start, i - start)), std::nullopt};
    if (c != kReplacement) character.codePoint = c;
    return character;
  }
  return std::nullopt;
}

std::string Windows1252ToUtf8(const ByteBuffer& bytes) {
  std::string out;
  for (std::uint32_t i = 0; i < bytes.length(); ++i) AppendUtf8(out, ToUnicode(bytes.data()[i]));
  return out;
}

ByteBuffer Utf16ToWindows1252(std::u16string_view utf16) {
  ByteBuffer out;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    // A surrogate pair is one character outside the code page.
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] < 0xE000) {
      ++i;
      out.appendU8(static_cast<std::uint8_t>(kReplacement));
      continue;
    }
    out.appendU8(FromUnicode(unit));
  }
  return out;
}

std::u16string Windows1252ToUtf16(const ByteBuffer& bytes) {
  std::u16string out;
  for (std::uint32_t i = 0; i < bytes.length(); ++i) out.push_back(ToUnicode(bytes.data()[i]));
  return out;
}

}  // namespace qs
