#include "crypto/scrypt.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

TEST(Pbkdf2HmacSha256, KnownAnswers) {
  const auto vectors = test::LoadVectors("crypto/pbkdf2_hmac_sha256.txt");
  ASSERT_EQ(vectors.size(), 6u);
  for (const auto& v : vectors) {
    const ByteBuffer password = FromHex(v.at("Password"));
    const ByteBuffer salt = FromHex(v.at("Salt"));
    const std::uint32_t iterations = static_cast<std::uint32_t>(std::stoul(v.at("Iterations")));
    SCOPED_TRACE("password of " + std::to_string(password.length()) + " bytes, " + v.at("Iterations") +
                 " iterations");
    // Filled with ones first, so a byte left unwritten shows.
    ByteBuffer key = FromHex(std::string(v.at("Key").size(), 'f'));
    Pbkdf2HmacSha256(password.span(), salt.span(), iterations, key.span());
    EXPECT_EQ(ToHex(key), v.at("Key"));
  }
}

TEST(Scrypt, KnownAnswers) {
  const auto vectors = test::LoadVectors("crypto/scrypt.txt");
  ASSERT_EQ(vectors.size(), 4u);
  for (const auto& v : vectors) {
    const ByteBuffer passphrase = FromHex(v.at("Passphrase"));
    const ByteBuffer salt = FromHex(v.at("Salt"));
    const ScryptCost cost{static_cast<std::uint8_t>(std::stoul(v.at("Log2N"))),
                          static_cast<std::uint32_t>(std::stoul(v.at("r"))),
                          static_cast<std::uint32_t>(std::stoul(v.at("p")))};
    SCOPED_TRACE("log2N " + v.at("Log2N") + ", r " + v.at("r") + ", p " + v.at("p"));
    ASSERT_TRUE(ScryptCostAllowed(cost));
    const std::size_t length = v.at("Key").size() / 2;
    EXPECT_EQ(ToHex(Scrypt(passphrase.span(), salt.span(), cost, length)), v.at("Key"));
  }
}

// What a hostile file could ask for, and the largest costs still run.
const struct {
  ScryptCost cost;
  bool allowed;
} kCosts[] = {
    {kProtectionCost, true}, {{1, 1, 1}, true},    {{20, 8, 1}, true},  // 1 GiB, the RFC's largest
    {{19, 16, 4}, true},  // 1 GiB four times: the most work allowed
    {{20, 8, 5}, false},  // five lanes of 1 GiB
    {{20, 9, 1}, false},  // a lane above 1 GiB
    {{20, 32, 1}, false},    {{0, 8, 1}, false},   {{21, 1, 1}, false},
    {{255, 32, 16}, false},  // a shift that wraps must not slip through
    {{10, 0, 1}, false},     {{10, 33, 1}, false}, {{10, 0xffffffff, 1}, false},
    {{10, 8, 0}, false},     {{10, 8, 17}, false}, {{10, 1, 0xffffffff}, false},
};

TEST(ScryptCost, AllowedOnlyWithinMemoryAndWorkBounds) {
  for (const auto& c : kCosts) {
    EXPECT_EQ(ScryptCostAllowed(c.cost), c.allowed)
        << "log2N " << int{c.cost.log2N} << ", r " << c.cost.r << ", p " << c.cost.p;
  }
}

TEST(Scrypt, RefusedCostOrLengthGivesNothing) {
  const ByteBuffer passphrase = ByteBuffer::fromText("pleaseletmein");
  const ByteBuffer salt = ByteBuffer::fromText("SodiumChloride");
  for (const auto& c : kCosts) {
    if (c.allowed) continue;
    EXPECT_TRUE(Scrypt(passphrase.span(), salt.span(), c.cost, 64).empty())
        << "log2N " << int{c.cost.log2N} << ", r " << c.cost.r << ", p " << c.cost.p;
  }
  const ScryptCost small{4, 1, 1};
  EXPECT_TRUE(Scrypt(passphrase.span(), salt.span(), small, 0).empty());
  if constexpr (sizeof(std::size_t) > 4) {
    EXPECT_TRUE(Scrypt(passphrase.span(), salt.span(), small, std::size_t{1} << 32).empty());
  }
  EXPECT_EQ(Scrypt(passphrase.span(), salt.span(), small, 1).length(), 1u);
}

}  // namespace
}  // namespace qs
