#include "operations/file_operation.h"

#include <gtest/gtest.h>

#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::KeyPairOf;
using test::ReadRaw;
using test::WriteRaw;

class FileOperationTest : public ::testing::Test {
 protected:
  OperationResult run(OperationCode code, const std::string& source, const std::string& target,
                      const test::TestKeyPair& own, const test::TestKeyPair& peer,
                      std::uint8_t okiFormat = 0) {
    OperationRequest request;
    request.code = code;
    request.okiFormat = okiFormat;
    request.sourceName = source;
    request.targetName = target;
    request.ownPrivateKey = own.privateRecord;
    request.peerPublicKey = peer.publicRecord;
    return RunFileOperation(request, *generator_);
  }

  test::TempFolder dir_;
  std::unique_ptr<RandomGenerator> generator_ = test::SeededGenerator();
};

// What a decryption tells of its sender: this build's files, in both formats, bind theirs;
// a file of an earlier writer does not, and is still read, with that said.
TEST_F(FileOperationTest, DecryptionTellsWhetherTheFileBindsItsSender) {
  WriteRaw(dir_.file("plain"), "the minutes of the meeting");
  for (const std::uint8_t oki : {0, 1}) {
    const OperationResult encrypted = run(OperationCode::kEncrypt, dir_.file("plain"), dir_.file("enc"),
                                          KeyPairOf("alice"), KeyPairOf("bob"), oki);
    ASSERT_EQ(encrypted.outcome, FileOutcome::kOk);
    EXPECT_FALSE(encrypted.senderUnbound);
    const OperationResult decrypted = run(OperationCode::kDecrypt, dir_.file("enc"), dir_.file("out"),
                                          KeyPairOf("bob"), KeyPairOf("alice"));
    ASSERT_EQ(decrypted.outcome, FileOutcome::kOk) << int{oki};
    EXPECT_FALSE(decrypted.senderUnbound) << int{oki};
    EXPECT_EQ(ReadRaw(dir_.file("out")), "the minutes of the meeting");
  }
  const test::Vector known = test::LoadVectors("formats/encrypted_files.txt").at(0);
  const ByteBuffer file = test::FromHex(known.at("File"));
  WriteRaw(dir_.file("known"), std::string(reinterpret_cast<const char*>(file.data()), file.length()));
  const OperationResult older = run(OperationCode::kDecrypt, dir_.file("known"), dir_.file("known.out"),
                                    KeyPairOf("carol"), KeyPairOf("bob"));
  ASSERT_EQ(older.outcome, FileOutcome::kOk);
  EXPECT_TRUE(older.senderUnbound);
  EXPECT_TRUE(test::FromString(ReadRaw(dir_.file("known.out"))).equals(test::FromHex(known.at("Plain"))));
}

}  // namespace
}  // namespace qs
