#include "tests/support/hex.h"

#include <gtest/gtest.h>

#include <cctype>

namespace qs::test {

ByteBuffer FromHex(const std::string& hex) {
  std::string digits;
  for (char c : hex) {
    if (!std::isspace(static_cast<unsigned char>(c))) digits.push_back(c);
  }
  EXPECT_EQ(digits.size() % 2, 0u) << "odd hex: " << hex;
  ByteBuffer out;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.appendU8(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string ToHex(const ByteBuffer& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint32_t i = 0; i < bytes.length(); ++i) {
    out.push_back(kDigits[bytes.data()[i] >> 4]);
    out.push_back(kDigits[bytes.data()[i] & 15]);
  }
  return out;
}

ByteBuffer FromString(const std::string& text) {
  return ByteBuffer(reinterpret_cast<const std::uint8_t*>(text.data()),
                    static_cast<std::uint32_t>(text.size()));
}

}  // namespace qs::test
