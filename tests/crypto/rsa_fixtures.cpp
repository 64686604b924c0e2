#include "tests/crypto/rsa_fixtures.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/support/hex.h"

namespace qs::test {

const Vector& RsaVector(const std::string& name) {
  static const std::vector<Vector> vectors = LoadVectors("crypto/rsa_2048.txt");
  for (const Vector& v : vectors) {
    if (v.at("Name") == name) return v;
  }
  ADD_FAILURE() << "no RSA vector " << name;
  return vectors.front();
}

RsaKey RsaTestKey(const std::string& name, bool privateWanted, KeyUsage usage, RandomGenerator* generator) {
  const Vector& v = RsaVector(name);
  return LoadRsaKey(2048, FromHex(v.at(privateWanted ? "PrivateBlob" : "PublicBlob")), privateWanted, usage,
                    generator);
}

void Credit(RandomGenerator& generator) {
  std::array<std::uint8_t, 32> seed{};
  for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(i * 13 + 5);
  ASSERT_TRUE(generator.addSeed(seed, 0, true));
}

bool SlowRunner() {
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
  return true;
#else
  return false;
#endif
}

}  // namespace qs::test
