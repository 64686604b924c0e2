#include "crypto/modular.h"

#include <gtest/gtest.h>

#include "crypto/montgomery.h"
#include "tests/crypto/big_number.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::Number;
using test::NumberText;

TEST(ModExp, MatchesIndependentResults) {
  const auto vectors = test::LoadVectors("crypto/bigint_modexp.txt");
  ASSERT_GE(vectors.size(), 10u);
  for (const auto& v : vectors) {
    const BigInt b = Number(v.at("B"));
    const BigInt x = Number(v.at("X"));
    const BigInt n = Number(v.at("N"));
    const std::string expected = NumberText(Number(v.at("R")));
    BigInt r;
    ModExp(b, x, n, r);
    EXPECT_EQ(NumberText(r), expected) << "bits " << n.bitLength();
  }
}

TEST(ModExp, DegenerateModuliAndExponents) {
  BigInt r(77);
  ModExp(BigInt(5), BigInt(3), BigInt(0), r);
  EXPECT_TRUE(r.isZero());
  ModExp(BigInt(5), BigInt(0), BigInt(7), r);
  EXPECT_EQ(r, BigInt(1));
  ModExp(BigInt(0), BigInt(5), Number("ffffffffffffffffffffffff1"), r);
  EXPECT_TRUE(r.isZero());
  // The result may alias the base.
  BigInt base(3);
  ModExp(base, BigInt(4), BigInt(1000), base);
  EXPECT_EQ(base, BigInt(81));
}

TEST(ModInverse, MatchesIndependentResults) {
  for (const auto& v : test::LoadVectors("crypto/bigint_inverse.txt")) {
    const BigInt m = Number(v.at("M"));
    BigInt a = Number(v.at("A"));
    BigInt g;
    Gcd(a, m, g);
    EXPECT_EQ(NumberText(g), NumberText(Number(v.at("G"))));
    const bool exists = ModInverse(a, m);
    if (v.at("I") == "none") {
      EXPECT_FALSE(exists) << v.at("A");
      EXPECT_TRUE(a.isZero());
    } else {
      ASSERT_TRUE(exists) << v.at("A");
      EXPECT_EQ(NumberText(a), NumberText(Number(v.at("I"))));
    }
  }
}

TEST(ModInverse, RejectsOperandsOutsideOneToMMinusOne) {
  BigInt a(65537);
  EXPECT_TRUE(ModInverse(a, Number("10000000000000000")));  // an even modulus, as p − 1 is
  a = BigInt(6);
  EXPECT_FALSE(ModInverse(a, BigInt(9)));
  a = BigInt(10);
  EXPECT_FALSE(ModInverse(a, BigInt(9)));
  EXPECT_TRUE(a.isZero());
  a = BigInt(0);
  EXPECT_FALSE(ModInverse(a, BigInt(9)));
  a = BigInt(4);
  EXPECT_FALSE(ModInverse(a, BigInt(0)));
  a = BigInt(2);
  ASSERT_TRUE(ModInverse(a, BigInt(9)));
  EXPECT_EQ(a, BigInt(5));
}

}  // namespace
}  // namespace qs
