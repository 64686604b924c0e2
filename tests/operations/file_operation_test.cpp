// One file operation run from a request, as both front ends run it: what it does with a
// target that may not be replaced, what it tells of a decrypted file's sender, and the
// cause of a failure in words.
#include "operations/file_operation.h"

#include <gtest/gtest.h>

#include <set>

#include "crypto/random_generator.h"
#include "operations/cause_text.h"
#include "platform/file_fault.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"
#include "tests/support/vectors.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qs {
namespace {

using test::ReadRaw;
using test::WriteRaw;

class FileOperationTest : public ::testing::Test {
 protected:
  // From alice to bob, or the reverse when decrypting, unless the keys are named.
  OperationResult run(OperationCode code, const std::string& source, const std::string& target,
                      platform::Overwrite overwrite, Settings::FileFormat format = Settings::kQuillseal,
                      const char* own = nullptr, const char* peer = nullptr) {
    const bool decrypting = code == OperationCode::kDecrypt;
    OperationRequest request;
    request.code = code;
    request.format = format;
    request.sourceName = source;
    request.targetName = target;
    request.overwrite = overwrite;
    request.ownPrivateKey = test::KeyPairOf(own ? own : decrypting ? "bob" : "alice").privateRecord;
    request.peerPublicKey = test::KeyPairOf(peer ? peer : decrypting ? "alice" : "bob").publicRecord;
    return RunFileOperation(request, *generator_);
  }

  test::TempFolder dir_;
  std::unique_ptr<RandomGenerator> generator_ = test::SeededGenerator();
};

// A target that exists when the run starts is kept whole, in every format, and the run says
// why; with leave to replace it is replaced.
TEST_F(FileOperationTest, ATargetThatMayNotBeReplacedIsKept) {
  const std::string plain = dir_.file("plain");
  WriteRaw(plain, std::string(5000, 'p'));
  const std::string sealed = dir_.file("sealed");
  ASSERT_EQ(run(OperationCode::kEncrypt, plain, sealed, platform::Overwrite::kNever).outcome,
            FileOutcome::kOk);
  const std::string kept = dir_.file("kept");
  for (const OperationCode code : {OperationCode::kEncrypt, OperationCode::kDecrypt, OperationCode::kSign}) {
    SCOPED_TRACE(static_cast<int>(code));
    WriteRaw(kept, "an older file");
    const std::string source = code == OperationCode::kDecrypt ? sealed : plain;
    EXPECT_EQ(run(code, source, kept, platform::Overwrite::kNever).outcome, FileOutcome::kTargetExists);
    EXPECT_EQ(ReadRaw(kept), "an older file");
    EXPECT_EQ(run(code, source, kept, platform::Overwrite::kReplace).outcome, FileOutcome::kOk);
    EXPECT_NE(ReadRaw(kept), "an older file");
  }
  EXPECT_STREQ(MessageText(FileOutcome::kTargetExists), "Målfilen finns redan och har inte skrivits över.");
  EXPECT_EQ(test::ListFolder(dir_.path()), "kept\nplain\nsealed\n");
}

// What a decryption tells of its sender: this build's files, in both formats, bind theirs;
// a file of an earlier writer does not, and is still read, with that said.
TEST_F(FileOperationTest, DecryptionTellsWhetherTheFileBindsItsSender) {
  WriteRaw(dir_.file("plain"), "the minutes of the meeting");
  for (const Settings::FileFormat format : {Settings::kQuillseal, Settings::kOki}) {
    const OperationResult encrypted = run(OperationCode::kEncrypt, dir_.file("plain"), dir_.file("enc"),
                                          platform::Overwrite::kReplace, format);
    ASSERT_EQ(encrypted.outcome, FileOutcome::kOk);
    EXPECT_FALSE(encrypted.senderUnbound);
    const OperationResult decrypted =
        run(OperationCode::kDecrypt, dir_.file("enc"), dir_.file("out"), platform::Overwrite::kReplace);
    ASSERT_EQ(decrypted.outcome, FileOutcome::kOk) << int{format};
    EXPECT_FALSE(decrypted.senderUnbound) << int{format};
    EXPECT_EQ(ReadRaw(dir_.file("out")), "the minutes of the meeting");
  }
  const test::Vector known = test::LoadVectors("formats/encrypted_files.txt").at(0);
  const ByteBuffer file = test::FromHex(known.at("File"));
  WriteRaw(dir_.file("known"), std::string(reinterpret_cast<const char*>(file.data()), file.length()));
  const OperationResult older = run(OperationCode::kDecrypt, dir_.file("known"), dir_.file("known.out"),
                                    platform::Overwrite::kReplace, Settings::kQuillseal, "carol", "bob");
  ASSERT_EQ(older.outcome, FileOutcome::kOk);
  EXPECT_TRUE(older.senderUnbound);
  EXPECT_TRUE(test::FromString(ReadRaw(dir_.file("known.out"))).equals(test::FromHex(known.at("Plain"))));
}

#ifndef _WIN32
// A decrypted file follows the umask once in place, as any new file does.
TEST_F(FileOperationTest, ADecryptedFileGetsTheUsualModeOnceComplete) {
  const std::string plain = dir_.file("plain");
  WriteRaw(plain, std::string(3000, 'p'));
  ASSERT_EQ(run(OperationCode::kEncrypt, plain, dir_.file("sealed"), platform::Overwrite::kNever).outcome,
            FileOutcome::kOk);
  const mode_t saved = ::umask(022);
  const OperationResult opened =
      run(OperationCode::kDecrypt, dir_.file("sealed"), dir_.file("opened"), platform::Overwrite::kNever);
  ::umask(saved);
  ASSERT_EQ(opened.outcome, FileOutcome::kOk);
  struct stat st {};
  ASSERT_EQ(::stat(dir_.file("opened").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}
#endif

// The causes that only the shared core can make happen on demand: a full disk (the fault
// switch) on the target, and a target that is the source.
TEST_F(FileOperationTest, AFullDiskAndATargetThatIsTheSourceAreNamed) {
  const std::string plain = dir_.file("plain");
  WriteRaw(plain, std::string(5000, 'p'));
  platform::FailNthFileCall(3);  // opening the source, the temporary target, then its first write
  const OperationResult full =
      run(OperationCode::kEncrypt, plain, dir_.file("enc"), platform::Overwrite::kReplace);
  platform::FailNthFileCall(0);
  EXPECT_EQ(full.outcome, FileOutcome::kTargetUnwritable);
  EXPECT_EQ(CauseText(full.cause), dir_.file("enc") + ": disken är full");

  const OperationResult same = run(OperationCode::kEncrypt, plain, plain, platform::Overwrite::kReplace);
  EXPECT_EQ(same.outcome, FileOutcome::kTargetUnwritable);
  EXPECT_EQ(CauseText(same.cause), plain + ": målfilen är samma fil som källfilen");
  EXPECT_EQ(test::ListFolder(dir_.path()), "plain\n");
}

// Every cause has words of its own, so no two causes read alike; nothing to name says nothing.
TEST(CauseText, EveryFindingAndSystemErrorReadsDifferently) {
  std::set<std::string> seen;
  for (int value = 1; value <= static_cast<int>(Finding::kTooLarge); ++value) {
    if (static_cast<Finding>(value) == Finding::kSystem) continue;
    const std::string text = CauseText({"f", static_cast<Finding>(value), platform::FileError::kNone, 1, 2});
    EXPECT_EQ(text.rfind("f: ", 0), 0u) << value;
    EXPECT_TRUE(seen.insert(text).second) << text;
  }
  for (int value = 1; value <= static_cast<int>(platform::FileError::kOther); ++value) {
    const std::string text = CauseText({"f", Finding::kSystem, static_cast<platform::FileError>(value)});
    EXPECT_GT(text.size(), 3u) << value;
    EXPECT_TRUE(seen.insert(text).second) << text;
  }
  EXPECT_EQ(CauseText({"f"}), "");
  EXPECT_EQ(CauseText({"", Finding::kSystem, platform::FileError::kDiskFull}), "disken är full");
  EXPECT_EQ(GroupedDigits(209715904), "209 715 904");
  EXPECT_EQ(GroupedDigits(100), "100");
  EXPECT_EQ(CauseText({"x", Finding::kTruncated, platform::FileError::kNone, 100000000, 209715904}),
            "x: filen är avkortad (slutar efter 100 000 000 av 209 715 904 byte)");
}

}  // namespace
}  // namespace qs
