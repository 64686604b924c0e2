#include "crypto/aes_tables.h"

namespace qs {
namespace {

constexpr std::uint8_t Times2(std::uint8_t x) {
  return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) != 0 ? 0x1B : 0x00));
}

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  for (; b != 0; b = static_cast<std::uint8_t>(b >> 1)) {
    if ((b & 1) != 0) product = static_cast<std::uint8_t>(product ^ a);
    a = Times2(a);
  }
  return product;
}

constexpr std::uint8_t RotateLeft(std::uint8_t x, int n) {
  return static_cast<std::uint8_t>((x << n) | (x >> (8 - n)));
}

constexpr std::uint32_t RotateRight(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

constexpr std::uint32_t Column(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return (std::uint32_t{a} << 24) | (std::uint32_t{b} << 16) | (std::uint32_t{c} << 8) | d;
}

constexpr AesTables BuildTables() {
  AesTables t{};
  // Powers of the generator 3 give every non-zero element, and with them the inverses.
  std::array<std::uint8_t, 256> power{};
  std::array<std::uint8_t, 256> logarithm{};
  std::uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    power[i] = x;
    logarithm[x] = static_cast<std::uint8_t>(i);
    x = Multiply(x, 3);
  }
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t inverse = v == 0 ? 0 : power[(255 - logarithm[v]) % 255];
    const std::uint8_t s =
        static_cast<std::uint8_t>(inverse ^ RotateLeft(inverse, 1) ^ RotateLeft(inverse, 2) ^
                                  RotateLeft(inverse, 3) ^ RotateLeft(inverse, 4) ^ 0x63);
    t.sbox[v] = s;
    t.inverseSbox[s] = static_cast<std::uint8_t>(v);
  }
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t s = t.sbox[v];
    const std::uint8_t u = t.inverseSbox[v];
    const std::uint32_t e = Column(Multiply(s, 2), s, s, Multiply(s, 3));
    const std::uint32_t d = Column(Multiply(u, 14), Multiply(u, 9), Multiply(u, 13), Multiply(u, 11));
    for (int r = 0; r < 4; ++r) {
      t.encrypt[r][v] = r == 0 ? e : RotateRight(e, 8 * r);
      t.decrypt[r][v] = r == 0 ? d : RotateRight(d, 8 * r);
    }
  }
  return t;
}

}  // namespace

constexpr AesTables kAesTables = BuildTables();

}  // namespace qs
