#include "crypto/primality.h"

#include <gtest/gtest.h>

#include "tests/crypto/big_number.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

TEST(Primality, KnownPrimesPassAndPseudoprimesFail) {
  const auto vectors = test::LoadVectors("crypto/primes.txt");
  ASSERT_GE(vectors.size(), 20u);
  for (const auto& v : vectors) {
    EXPECT_EQ(IsProbablePrime(test::Number(v.at("N"))), v.at("Prime") == "yes") << v.at("Name");
  }
}

TEST(Primality, NegativeNumbersAreNotPrime) {
  BigInt minusSeven(7);
  minusSeven.negate();
  EXPECT_FALSE(IsProbablePrime(minusSeven));
}

}  // namespace
}  // namespace qs
