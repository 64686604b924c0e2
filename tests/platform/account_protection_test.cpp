#include "platform/account_protection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace qs::platform {
namespace {

std::vector<std::uint8_t> Bytes(const char* text) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text);
  return {p, p + std::strlen(text)};
}

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

#ifdef _WIN32

TEST(AccountProtection, OpensWhatItLockedForTheSameEntropyOnly) {
  ASSERT_TRUE(AccountProtectionAvailable());
  const std::vector<std::uint8_t> entropy = Bytes("Quillseal test");
  for (const std::size_t n : {1u, 32u, 512u}) {
    const std::vector<std::uint8_t> data = Counting(n);
    const std::optional<std::vector<std::uint8_t>> sealed = ProtectForAccount(data, entropy);
    ASSERT_TRUE(sealed) << n;
    if (n >= 32) {
      EXPECT_EQ(std::search(sealed->begin(), sealed->end(), data.begin(), data.end()), sealed->end())
          << "plain data inside, " << n;
    }
    EXPECT_EQ(UnprotectForAccount(*sealed, entropy), data) << n;
    EXPECT_FALSE(UnprotectForAccount(*sealed, Bytes("Quillseal tesT"))) << n;
    EXPECT_FALSE(UnprotectForAccount(*sealed, {})) << n;
  }
  // Without entropy of its own the machine's identity still goes in.
  const std::optional<std::vector<std::uint8_t>> bare = ProtectForAccount(Counting(16), {});
  ASSERT_TRUE(bare);
  EXPECT_EQ(UnprotectForAccount(*bare, {}), Counting(16));
}

TEST(AccountProtection, RefusesAChangedByte) {
  const std::vector<std::uint8_t> entropy = Bytes("Quillseal test");
  const std::optional<std::vector<std::uint8_t>> sealed = ProtectForAccount(Counting(64), entropy);
  ASSERT_TRUE(sealed);
  // The header, the ciphertext and the authentication at the end.
  for (const std::size_t at : {std::size_t{0}, std::size_t{20}, sealed->size() / 2, sealed->size() - 1}) {
    std::vector<std::uint8_t> changed = *sealed;
    changed[at] ^= 0x01;
    EXPECT_FALSE(UnprotectForAccount(changed, entropy)) << "byte " << at;
  }
  std::vector<std::uint8_t> cut(sealed->begin(), sealed->end() - 1);
  EXPECT_FALSE(UnprotectForAccount(cut, entropy));
  EXPECT_FALSE(UnprotectForAccount({}, entropy));
}

#else

TEST(AccountProtection, IsUnavailableHere) {
  EXPECT_FALSE(AccountProtectionAvailable());
  EXPECT_FALSE(ProtectForAccount(Counting(32), Bytes("Quillseal test")));
  EXPECT_FALSE(UnprotectForAccount(Counting(300), Bytes("Quillseal test")));
}

#endif

}  // namespace
}  // namespace qs::platform
