#include "crypto/random_generator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/whole_file.h"
#include "platform/account_protection.h"
#include "tests/crypto/rsa_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/temp_folder.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

// A whole seed file: u32 content length, then one field of the given bytes.
std::string SeedFile(std::size_t n) {
  std::string content(4, '\0');
  content[0] = static_cast<char>(n);
  content[1] = static_cast<char>(n >> 8);
  content += std::string(reinterpret_cast<const char*>(Bytes(n, 9).data()), n);
  std::string file(4, '\0');
  file[0] = static_cast<char>(content.size());
  file[1] = static_cast<char>(content.size() >> 8);
  return file + content;
}

// Content in the whole-file container.
std::string WholeFile(const ByteBuffer& content) {
  ByteBuffer file;
  file.appendU32(content.length());
  file.append(content);
  return std::string(reinterpret_cast<const char*>(file.data()), file.length());
}

ByteBuffer SeedIn(const std::string& path) {
  ByteStream file;
  if (!ReadWholeFile(file, path)) return {};
  return SeedInFileContent(file.bytes);
}

// A 512-byte seed in this platform's form: locked to the account where that is available,
// in a form whose first field a reader of the plain form takes for no seed.
void ExpectSeedFile(const std::string& path) {
  const std::string raw = test::ReadRaw(path);
  ByteStream file;
  ASSERT_TRUE(ReadWholeFile(file, path));
  EXPECT_TRUE(IsSeedFileContent(file.bytes));
  EXPECT_EQ(SeedIn(path).length(), 512u);
  if (platform::AccountProtectionAvailable()) {
    ASSERT_GT(raw.size(), 12u);
    EXPECT_EQ(raw.substr(4, 4), std::string(4, '\0'));
    EXPECT_TRUE(file.readField().empty());
    EXPECT_EQ(raw.find(std::string(reinterpret_cast<const char*>(SeedIn(path).data()), 32)),
              std::string::npos);
  } else {
    ASSERT_EQ(raw.size(), 520u);
    EXPECT_EQ(raw.substr(0, 8), std::string("\x04\x02\0\0\0\x02\0\0", 8));
  }
}

TEST(RandomGenerator, OutputMatchesIndependentResult) {
  const test::Vector v = test::LoadVectors("crypto/random_generator.txt").at(0);
  RandomGenerator generator;
  const ByteBuffer seed = FromHex(v.at("Seed"));
  ASSERT_TRUE(generator.addSeed(seed.span(), 0x01020304, true));
  EXPECT_EQ(ToHex(generator.output(40)), v.at("First"));
  EXPECT_EQ(ToHex(generator.output(40)), v.at("Second"));  // each call re-encrypts the pool
}

TEST(RandomGenerator, OutputNeedsFullCreditAndALength) {
  RandomGenerator generator;
  EXPECT_TRUE(generator.output(16).empty());
  const std::vector<std::uint8_t> short31 = Bytes(31, 0);
  EXPECT_FALSE(generator.addSeed(short31, 0, true));
  EXPECT_EQ(generator.position(), 0u);  // nothing mixed
  EXPECT_EQ(generator.credit(), 0u);
  EXPECT_TRUE(generator.addSeed(Bytes(32, 0), 0, false));
  EXPECT_EQ(generator.credit(), 0u);
  EXPECT_EQ(generator.position(), 36u);  // 32 bytes and the four of the extra value
  EXPECT_TRUE(generator.output(16).empty());
  EXPECT_TRUE(generator.addSeed(Bytes(32, 0), 0, true));
  EXPECT_EQ(generator.credit(), 1024u);
  EXPECT_TRUE(generator.output(0).empty());
  for (const std::uint32_t n : {1u, 15u, 16u, 17u, 512u}) EXPECT_EQ(generator.output(n).length(), n);
}

TEST(RandomGenerator, OnlyNewMousePositionsEarnCredit) {
  RandomGenerator generator;
  generator.mouseEvent(0, 0);  // the remembered start position
  EXPECT_EQ(generator.credit(), 0u);
  for (std::uint16_t i = 0; i < 1023; ++i) {
    generator.mouseEvent(static_cast<std::uint16_t>(i + 1), 5);
    generator.mouseEvent(static_cast<std::uint16_t>(i + 1), 5);  // the same again
  }
  EXPECT_EQ(generator.credit(), 1023u);
  EXPECT_EQ(generator.position(), 1023u * 8 % 4096);
  EXPECT_TRUE(generator.output(32).empty());
  generator.mouseEvent(1, 5);  // differs from the last one, although seen before
  EXPECT_EQ(generator.credit(), 1024u);
  EXPECT_EQ(generator.output(32).length(), 32u);
}

TEST(RandomGenerator, The4096thMixedByteStirsThePool) {
  RandomGenerator stirred;
  for (int i = 0; i < 511; ++i) stirred.mixEvent(0, 0, 0);  // zeros leave the bytes as they are
  EXPECT_EQ(stirred.position(), 4088u);
  stirred.mixEvent(0, 0, 0);
  EXPECT_EQ(stirred.position(), 0u);
  stirred.mixEvent(0, 0, 0);
  EXPECT_EQ(stirred.position(), 8u);

  // Had there been no stir, the pool would equal a fresh one at the same position.
  RandomGenerator fresh;
  fresh.mixEvent(0, 0, 0);
  test::Credit(stirred);
  test::Credit(fresh);
  EXPECT_NE(ToHex(stirred.output(32)), ToHex(fresh.output(32)));
}

TEST(RandomGenerator, MixEventOrderShowsInTheOutput) {
  RandomGenerator a;
  RandomGenerator b;
  a.mixEvent(0x0102, 0x0304, 0x05060708);
  b.mixEvent(0x0201, 0x0403, 0x08070605);
  test::Credit(a);
  test::Credit(b);
  EXPECT_NE(ToHex(a.output(16)), ToHex(b.output(16)));
}

TEST(RandomGenerator, StartUpWithoutSeedFileNeedsMouseCredit) {
  test::TempFolder dir;
  RandomGenerator generator;
  ASSERT_TRUE(generator.startUp(dir.file(kSeedFileName)));
  EXPECT_EQ(generator.credit(), 0u);
  EXPECT_EQ(test::ListFolder(dir.path()), "qs.lock\n");  // nothing to rewrite; the lock stays
  EXPECT_FALSE(generator.writeSeedFile(dir.file(kSeedFileName)));
  EXPECT_EQ(generator.position(), 52u);  // two events of 8 bytes, 32 system bytes and 4
}

TEST(RandomGenerator, StartUpTakesAndRenewsASeedFile) {
  test::TempFolder dir;
  const std::string path = dir.file(kSeedFileName);
  test::WriteRaw(path, SeedFile(512));
  RandomGenerator generator;
  ASSERT_TRUE(generator.startUp(path));
  EXPECT_EQ(generator.credit(), 1024u);
  ExpectSeedFile(path);
  const std::string renewed = test::ReadRaw(path);
  EXPECT_FALSE(SeedIn(path).equals(ByteBuffer(Bytes(512, 9))));

  // The next start reads the renewed file and replaces it again.
  RandomGenerator next;
  ASSERT_TRUE(next.startUp(path));
  EXPECT_EQ(next.credit(), 1024u);
  EXPECT_NE(test::ReadRaw(path), renewed);
  EXPECT_EQ(test::ListFolder(dir.path()), "qs.lock\nrand.bin\n");
}

TEST(RandomGenerator, AShortSeedFileIsIgnoredAndKept) {
  test::TempFolder dir;
  const std::string path = dir.file(kSeedFileName);
  test::WriteRaw(path, SeedFile(31));
  RandomGenerator generator;
  ASSERT_TRUE(generator.startUp(path));
  EXPECT_EQ(generator.credit(), 0u);
  EXPECT_EQ(test::ReadRaw(path), SeedFile(31));

  // So is one with a byte after its content.
  test::WriteRaw(path, SeedFile(512) + '\0');
  RandomGenerator appended;
  ASSERT_TRUE(appended.startUp(path));
  EXPECT_EQ(appended.credit(), 0u);
  EXPECT_EQ(test::ReadRaw(path), SeedFile(512) + '\0');

  // A 32-byte seed counts.
  test::WriteRaw(path, SeedFile(32));
  RandomGenerator seeded;
  ASSERT_TRUE(seeded.startUp(path));
  EXPECT_EQ(seeded.credit(), 1024u);
  ExpectSeedFile(path);
}

TEST(RandomGenerator, ALockedSeedFileThatDoesNotOpenCountsAsMissing) {
  test::TempFolder dir;
  const std::string path = dir.file(kSeedFileName);
  // Locked for another use of the account's key where locking exists, else any bytes: either
  // way as a seed locked elsewhere looks here.
  const std::vector<std::uint8_t> seed = Bytes(512, 3);
  const std::vector<std::uint8_t> other = Bytes(8, 'a');
  const std::vector<std::uint8_t> lockedElsewhere =
      platform::ProtectForAccount(seed, other).value_or(Bytes(300, 1));
  ByteBuffer content;
  content.appendField(ByteBuffer());
  content.appendField(ByteBuffer(std::span<const std::uint8_t>(lockedElsewhere)));
  test::WriteRaw(path, WholeFile(content));
  EXPECT_TRUE(SeedIn(path).empty());

  RandomGenerator generator;
  ASSERT_TRUE(generator.startUp(path));
  EXPECT_EQ(generator.credit(), 0u);
  EXPECT_EQ(test::ReadRaw(path), WholeFile(content));  // kept until fresh entropy is in

  test::Credit(generator);
  ASSERT_TRUE(generator.writeSeedFile(path));
  ExpectSeedFile(path);
  RandomGenerator next;
  ASSERT_TRUE(next.startUp(path));
  EXPECT_EQ(next.credit(), 1024u);
}

TEST(RandomGenerator, SeedFileHasThePlatformsForm) {
  test::TempFolder dir;
  RandomGenerator generator;
  test::Credit(generator);
  ASSERT_TRUE(generator.writeSeedFile(dir.file(kSeedFileName)));
  ExpectSeedFile(dir.file(kSeedFileName));
  EXPECT_FALSE(generator.writeSeedFile(dir.file("missing/rand.bin")));
}

TEST(RandomGenerator, TellsTheSeedFileForms) {
  const auto content = [](std::initializer_list<std::uint32_t> fields, std::uint32_t trailing) {
    ByteBuffer c;
    for (const std::uint32_t n : fields) c.appendField(ByteBuffer(Bytes(n, 0)));
    c.appendZeros(trailing);
    return c;
  };
  const struct {
    ByteBuffer content;
    bool seedFile;
  } cases[] = {
      {content({512}, 0), true},  {content({0, 300}, 0), true},  {content({511}, 0), false},
      {content({512}, 1), false}, {content({0, 300}, 1), false}, {content({0, 0}, 0), false},
      {content({0}, 0), false},   {ByteBuffer(), false},         {content({512, 1}, 0), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsSeedFileContent(c.content), c.seedFile) << ToHex(c.content).substr(0, 24);
}

TEST(RandomGenerator, EventsDuringOutputStillCountTheirCredit) {
  RandomGenerator generator;
  test::Credit(generator);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (!done.load()) ASSERT_EQ(generator.output(4096).length(), 4096u);
  });
  for (std::uint16_t i = 1; i <= 2000; ++i) generator.mouseEvent(i, i);
  done = true;
  worker.join();
  EXPECT_EQ(generator.credit(), 1024u + 2000u);
  EXPECT_LT(generator.position(), RandomGenerator::kPoolBytes);
}

}  // namespace
}  // namespace qs
