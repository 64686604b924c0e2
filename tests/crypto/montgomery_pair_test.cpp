#include "crypto/montgomery_pair.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "crypto/modular.h"
#include "crypto/rsa_key.h"
#include "tests/crypto/big_number.h"
#include "tests/crypto/crypto_paths.h"
#include "tests/crypto/rsa_fixtures.h"

namespace qs {
namespace {

using test::NumberText;
using test::PortableOnly;

BigInt RandomBelow(std::mt19937_64& source, std::uint32_t limbs, const BigInt& m) {
  BigInt x;
  for (std::uint32_t i = 0; i < 2 * limbs; ++i) x.words()[i] = static_cast<std::uint32_t>(source());
  x.setUsedWords(2 * limbs);
  BigInt r;
  Mod(x, m, r);
  return r;
}

BigInt Difference(const BigInt& a, const BigInt& b) {
  BigInt r;
  Subtract(a, b, r);
  return r;
}

// One exponentiation of a pair, with its plain result.
struct Case {
  BigInt m;
  BigInt base;
  BigInt exponent;
};

// Moduli filling the width, each with bases and exponents at the edges: random; all ones,
// whose powers of m − 1 carry through every digit; and t², whose base t has a power ≡ 0.
std::vector<Case> Cases(std::mt19937_64& source, std::uint32_t limbs) {
  const std::uint32_t bits = 64 * limbs;
  BigInt random;
  for (std::uint32_t i = 0; i < 2 * limbs; ++i) random.words()[i] = static_cast<std::uint32_t>(source());
  random.setUsedWords(2 * limbs);
  random.setBit(bits - 1);
  random.setBit(0);
  BigInt allOnes;
  for (std::uint32_t i = 0; i < bits; ++i) allOnes.setBit(i);
  BigInt t;  // (2^(b/2 − 1) + 2^(b/2 − 2) + 1)² lies in [2^(b − 1), 2^b)
  t.setBit(bits / 2 - 1);
  t.setBit(bits / 2 - 2);
  t.setBit(0);
  BigInt square;
  Multiply(t, t, square);

  BigInt fullExponent;
  for (std::uint32_t i = 0; i < bits; ++i) fullExponent.setBit(i);
  std::vector<Case> cases;
  for (const BigInt& m : {random, allOnes, square}) {
    const BigInt randomExponent = RandomBelow(source, limbs, fullExponent);
    cases.push_back({m, RandomBelow(source, limbs, m), randomExponent});
    cases.push_back({m, Difference(m, BigInt(1)), fullExponent});
    cases.push_back({m, Difference(m, BigInt(1)), BigInt(2)});
    cases.push_back({m, RandomBelow(source, limbs, m), BigInt(0)});
    cases.push_back({m, BigInt(0), randomExponent});
    cases.push_back({m, BigInt(1), fullExponent});
  }
  cases.push_back({square, t, BigInt(2)});
  cases.push_back({square, t, RandomBelow(source, limbs, fullExponent)});
  return cases;
}

Limbs Power(const MontgomeryModulus& mod, const Case& c, std::uint32_t limbs, const Case& other,
            const MontgomeryModulus& otherMod, Limbs& otherOut) {
  Limbs form;
  mod.toForm(Limbs::of(c.base, limbs), limbs, form);
  Limbs otherForm;
  otherMod.toForm(Limbs::of(other.base, limbs), limbs, otherForm);
  Limbs out;
  PowerPairUniform(mod, form, c.exponent, otherMod, otherForm, other.exponent, 64 * limbs, out, otherOut);
  return out;
}

BigInt Expected(const Case& c) {
  BigInt r;
  ModExp(c.base, c.exponent, c.m, r);
  return r;
}

// Each case paired with the next, on the vector path where there is one and on the portable
// path, at the widths with a vector path and one without.
TEST(PowerPair, BothSidesMatchPlainExponentiationOnEveryPath) {
  std::mt19937_64 source(20261207);
  for (const std::uint32_t limbs : {16u, 32u, 8u}) {
    const std::vector<Case> cases = Cases(source, limbs);
    std::vector<BigInt> expected;
    for (const Case& c : cases) expected.push_back(Expected(c));
    for (const bool portable : {false, true}) {
      std::optional<PortableOnly> force;
      if (portable) force.emplace();
      if (!portable && !VectorPowerAvailable(limbs)) continue;
      for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::size_t j = (i + 1) % cases.size();
        const MontgomeryModulus first(cases[i].m, limbs);
        const MontgomeryModulus second(cases[j].m, limbs);
        Limbs secondOut;
        const Limbs firstOut = Power(first, cases[i], limbs, cases[j], second, secondOut);
        EXPECT_EQ(NumberText(firstOut.toBigInt(limbs)), NumberText(expected[i]))
            << limbs << " limbs, portable " << portable << ", case " << i;
        EXPECT_EQ(NumberText(secondOut.toBigInt(limbs)), NumberText(expected[j]))
            << limbs << " limbs, portable " << portable << ", case " << j;
      }
    }
  }
}

TEST(PowerPair, VectorPathFollowsTheProcessorAndThePortableSwitch) {
  EXPECT_FALSE(VectorPowerAvailable(8));
  PortableOnly portable;
  EXPECT_FALSE(VectorPowerAvailable(16));
  EXPECT_FALSE(VectorPowerAvailable(32));
}

TEST(PowerPair, PrivateKeyOperationIsTheSameOnBothPaths) {
  const RsaKey key = test::RsaTestKey("signing", true, KeyUsage::kSigning, nullptr);
  std::mt19937_64 source(5);
  for (int round = 0; round < 3; ++round) {
    const BigInt c = RandomBelow(source, key.modulusBytes / 8, key.n);
    BigInt fast;
    ASSERT_TRUE(RsaPrivate(key, c, fast));
    BigInt portable;
    {
      PortableOnly force;
      ASSERT_TRUE(RsaPrivate(key, c, portable));
    }
    EXPECT_EQ(NumberText(fast), NumberText(portable));
  }
}

}  // namespace
}  // namespace qs
