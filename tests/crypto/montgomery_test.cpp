#include "crypto/montgomery.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/crypto/big_number.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::Number;
using test::NumberText;

// Uniform bits in limbs 0 .. limbs − 1.
BigInt RandomNumber(std::mt19937_64& source, std::uint32_t limbs) {
  BigInt x;
  for (std::uint32_t i = 0; i < 2 * limbs; ++i) x.words()[i] = static_cast<std::uint32_t>(source());
  x.setUsedWords(2 * limbs);
  return x;
}

// 2^(64 · limbs) − 1, every limb all ones.
BigInt AllOnes(std::uint32_t limbs) {
  BigInt x;
  for (std::uint32_t i = 0; i < 2 * limbs; ++i) x.words()[i] = 0xFFFFFFFFu;
  x.setUsedWords(2 * limbs);
  return x;
}

BigInt PowerOfTwo(std::uint32_t bit) {
  BigInt x;
  x.setBit(bit);
  return x;
}

BigInt Reduced(const BigInt& x, const BigInt& m) {
  BigInt r;
  Mod(x, m, r);
  return r;
}

// a·b·R⁻¹ mod m is the one value below m whose product with R is a·b mod m.
void ExpectProduct(const BigInt& a, const BigInt& b, const BigInt& m, std::uint32_t limbs, const Limbs& out) {
  const BigInt result = out.toBigInt(limbs);
  EXPECT_LT(result, m);
  BigInt shifted;
  Multiply(result, PowerOfTwo(64 * limbs), shifted);
  BigInt product;
  Multiply(a, b, product);
  EXPECT_EQ(NumberText(Reduced(shifted, m)), NumberText(Reduced(product, m)))
      << limbs << " limbs, m " << NumberText(m) << ", a " << NumberText(a) << ", b " << NumberText(b);
}

// Moduli of each width: random and all ones, filling the width as a secret modulus must,
// and random with a short top limb, given as public moduli.
struct TestModulus {
  BigInt m;
  bool fillsWidth;
};

std::vector<TestModulus> Moduli(std::mt19937_64& source, std::uint32_t limbs) {
  std::vector<TestModulus> moduli{
      {RandomNumber(source, limbs), true}, {AllOnes(limbs), true}, {RandomNumber(source, limbs), false}};
  moduli[0].m.setBit(64 * limbs - 1);
  moduli[2].m.words()[2 * limbs - 1] = 0;
  moduli[2].m.words()[2 * limbs - 2] &= 0x3FF;
  for (TestModulus& t : moduli) {
    t.m.words()[0] |= 1;
    t.m.setBit(64 * limbs - 59);  // the top limb is not zero
    t.m.setUsedWords(2 * limbs);
  }
  return moduli;
}

TEST(Montgomery, ProductsAndSquaresMatchPlainArithmeticAtEveryWidth) {
  std::mt19937_64 source(20261207);
  for (std::uint32_t limbs = 1; limbs <= 64; ++limbs) {
    for (const auto& [m, fillsWidth] : Moduli(source, limbs)) {
      const MontgomeryModulus mod = fillsWidth ? MontgomeryModulus(m, limbs) : MontgomeryModulus(m);
      EXPECT_EQ(NumberText(mod.one().toBigInt(limbs)), NumberText(Reduced(PowerOfTwo(64 * limbs), m)));
      BigInt mMinus1;
      Subtract(m, BigInt(1), mMinus1);
      // Operands below m (as every second factor must be), then R − 1 as a first factor.
      std::vector<BigInt> operands{BigInt(0), BigInt(1), mMinus1};
      for (int i = 0; i < 3; ++i) operands.push_back(Reduced(RandomNumber(source, limbs), m));
      for (const BigInt& a : operands) {
        Limbs out;
        mod.square(Limbs::of(a, limbs), out);
        ExpectProduct(a, a, m, limbs, out);
      }
      const std::size_t belowM = operands.size();
      operands.push_back(AllOnes(limbs));
      for (const BigInt& a : operands) {
        for (std::size_t j = 0; j < belowM; ++j) {
          Limbs out;
          mod.multiply(Limbs::of(a, limbs), Limbs::of(operands[j], limbs), out);
          ExpectProduct(a, operands[j], m, limbs, out);
        }
      }
    }
  }
}

TEST(Montgomery, ResultsMayAliasTheOperands) {
  std::mt19937_64 source(7);
  for (const std::uint32_t limbs : {5u, 16u, 32u}) {
    BigInt m = RandomNumber(source, limbs);
    m.words()[0] |= 1;
    m.setBit(64 * limbs - 1);
    const MontgomeryModulus mod(m, limbs);
    const BigInt a = Reduced(RandomNumber(source, limbs), m);
    const BigInt b = Reduced(RandomNumber(source, limbs), m);
    Limbs x = Limbs::of(a, limbs);
    mod.multiply(x, Limbs::of(b, limbs), x);
    ExpectProduct(a, b, m, limbs, x);
    Limbs y = Limbs::of(b, limbs);
    mod.multiply(Limbs::of(a, limbs), y, y);
    ExpectProduct(a, b, m, limbs, y);
    Limbs z = Limbs::of(a, limbs);
    mod.square(z, z);
    ExpectProduct(a, a, m, limbs, z);
  }
}

// The fixed-width set-up and uniform powers, from bases of any length.
TEST(Montgomery, FixedWidthPowersMatchIndependentResults) {
  int tested = 0;
  for (const auto& v : test::LoadVectors("crypto/bigint_modexp.txt")) {
    const BigInt m = Number(v.at("N"));
    if (!m.isOdd() || m.bitLength() % 64 != 0 || m.bitLength() > 4096) continue;
    ++tested;
    const BigInt b = Number(v.at("B"));
    const BigInt x = Number(v.at("X"));
    const std::uint32_t limbs = m.bitLength() / 64;
    const std::uint32_t baseLimbs = (b.usedWords() + 1) / 2;
    const MontgomeryModulus mod(m, limbs);
    Limbs form;
    mod.toForm(Limbs::of(b, baseLimbs), baseLimbs, form);
    mod.powerUniform(form, x, 32 * x.usedWords(), form);
    mod.fromForm(form, form);
    EXPECT_EQ(NumberText(form.toBigInt(limbs)), NumberText(Number(v.at("R")))) << NumberText(m);
  }
  EXPECT_GE(tested, 5);
}

}  // namespace
}  // namespace qs
