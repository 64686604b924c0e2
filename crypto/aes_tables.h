#pragma once
#include <array>
#include <cstdint>

namespace qs {

// The lookup tables of the portable AES: the S-box and its inverse, four encryption tables
// (S-box output times the MixColumns column, rotated by 0, 8, 16 and 24 bits) and four
// decryption tables (inverse S-box output times the InvMixColumns column). Words are
// big-endian: the first state byte of a column is the most significant.
//
// Table lookups are indexed by secret bytes, so the portable cipher is not free of cache
// timing; a hardware path is the cure where the processor has one.
struct AesTables {
  std::array<std::uint8_t, 256> sbox;
  std::array<std::uint8_t, 256> inverseSbox;
  std::array<std::array<std::uint32_t, 256>, 4> encrypt;
  std::array<std::array<std::uint32_t, 256>, 4> decrypt;
};

// Built at compile time from the field arithmetic of FIPS-197, so no table is typed by hand.
extern const AesTables kAesTables;

}  // namespace qs
