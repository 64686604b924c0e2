// Every file call an operation makes is failed in turn, as a full disk, a pulled drive or a
// crash before the final rename would fail it. Each failing run must report failure and
// leave the folder exactly as it was: same names, same bytes, no temporary file.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <sstream>
#include <vector>

#include "base/windows1252.h"
#include "formats/encrypted_file.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "keys/key_store.h"
#include "keys/public_key_export.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "operations/file_operation.h"
#include "operations/settings.h"
#include "platform/file.h"
#include "platform/file_error.h"
#include "platform/file_fault.h"
#include "platform/working_folder.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/keys/key_fixtures.h"

namespace qs {
namespace {

using test::ListFolder;
using test::ReadRaw;
using test::WriteRaw;

// Every name in the folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::istringstream names(ListFolder(folder));
  for (std::string name; std::getline(names, name);) {
    if (!name.empty()) files[name] = ReadRaw(folder + "/" + name);
  }
  return files;
}

class FileFaultTest : public test::PipelineTest {
 protected:
  ~FileFaultTest() override { platform::FailNthFileCall(0); }

  // Runs op with call 1, 2, ... failing (with raise: throwing what raise throws) until a run
  // meets no fault, which must succeed. Returns the number of calls that were failed.
  int failEveryCall(const std::function<bool()>& op, void (*raise)() = nullptr) {
    const std::map<std::string, std::string> before = Snapshot(folder());
    for (int n = 1; n < 10000; ++n) {
      platform::ThrowAtNthFileCall(static_cast<std::uint64_t>(n), raise);
      const bool ok = op();
      const bool hit = platform::InjectedFileFaultHit();
      platform::FailNthFileCall(0);
      if (!hit) {
        EXPECT_TRUE(ok) << "without a fault";
        return n - 1;
      }
      EXPECT_FALSE(ok) << "call " << n << " failed, yet the operation reported success";
      EXPECT_EQ(Snapshot(folder()), before) << "call " << n << " failed and the folder changed";
      if (::testing::Test::HasFailure()) return n;
    }
    ADD_FAILURE() << "the operation never ran out of file calls";
    return 0;
  }

  // The same for a pipeline, whose every injected failure names the switch's full disk and
  // the file it hit.
  int failEveryCall(const std::function<FileResult()>& op) {
    return failEveryCall([&] {
      const FileResult result = op();
      if (platform::InjectedFileFaultHit()) {
        EXPECT_EQ(result.cause.finding, Finding::kSystem);
        EXPECT_EQ(result.cause.error, platform::FileError::kDiskFull);
        EXPECT_FALSE(result.cause.file.empty());
      }
      return result.ok();
    });
  }

  std::string folder() const {
    const std::string any = path("x");
    return any.substr(0, any.size() - 2);
  }
};

TEST_F(FileFaultTest, NativeEncryptionAndDecryption) {
  const std::string plain = makePlain("plain", 3000);
  WriteRaw(path("enc"), "an older file");
  for (ChunkCompression compression : {ChunkCompression::kNone, ChunkCompression::kFormat}) {
    EXPECT_GT(failEveryCall([&] {
                return EncryptFile(job(plain, path("enc"), compression), carol_.privateRecord,
                                   carol_.publicRecord);
              }),
              3);
  }
  WriteRaw(path("out"), "an older file");
  EXPECT_GT(failEveryCall([&] {
              return DecryptFile(job(path("enc"), path("out")), carol_.privateRecord, carol_.publicRecord);
            }),
            3);
  EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain));
}

TEST_F(FileFaultTest, OkiEncryptionAndDecryption) {
  const std::string plain = makePlain("plain", 3000);
  WriteRaw(path("enc"), "an older file");
  EXPECT_GT(failEveryCall([&] {
              return EncryptOkiFile(job(plain, path("enc")), carol_.privateRecord, carol_.publicRecord);
            }),
            3);
  WriteRaw(path("out"), "an older file");
  EXPECT_GT(failEveryCall([&] {
              return DecryptOkiFile(job(path("enc"), path("out")), carol_.privateRecord, carol_.publicRecord);
            }),
            3);
  EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain));
}

void RaiseOutOfMemory() { throw std::bad_alloc(); }
void RaiseBufferFailure() { throw BufferFailure("index outside the buffer"); }

// An exception at any file call, at chunk 0 or 1 of either pipeline, or in the steps before
// and after them, fails the worker's operation with its message and leaves the folder as it
// was: no temporary file, an older target unchanged.
TEST_F(FileFaultTest, AnExceptionFailsTheOperationAndLeavesNothing) {
  const std::string plain = makePlain("plain", kChunkBytes + 3000);
  OperationRequest request;
  request.ownPrivateKey = carol_.privateRecord;
  request.peerPublicKey = carol_.publicRecord;
  request.targetName = path("target");
  WriteRaw(request.targetName, "an older file");
  FileOutcome failure = FileOutcome::kUnknown;
  const auto run = [&] {
    const OperationResult result = RunFileOperation(request, *generator_);
    if (result.outcome != FileOutcome::kOk) {
      EXPECT_EQ(result.outcome, failure);
    }
    return result.outcome == FileOutcome::kOk;
  };
  struct Case {
    Settings::FileFormat format;
    ChunkCompression compression;
    void (*raise)();
  };
  for (const Case c : {Case{Settings::kQuillseal, ChunkCompression::kNone, RaiseOutOfMemory},
                       Case{Settings::kQuillseal, ChunkCompression::kFormat, RaiseBufferFailure},
                       Case{Settings::kOki, ChunkCompression::kNone, RaiseOutOfMemory}}) {
    SCOPED_TRACE(c.format == Settings::kOki                 ? "OKI-format"
                 : c.compression != ChunkCompression::kNone ? "compressed"
                                                            : "native");
    request.format = c.format;
    request.compression = c.compression;
    request.code = OperationCode::kEncrypt;
    request.sourceName = plain;
    failure = FileOutcome::kUnknown;
    ASSERT_TRUE(run());  // the encrypted file to decrypt
    WriteRaw(path("enc"), ReadRaw(request.targetName));
    WriteRaw(request.targetName, "an older file");
    EXPECT_GT(failEveryCall(run, c.raise), 3);

    request.code = OperationCode::kDecrypt;
    request.sourceName = path("enc");
    WriteRaw(request.targetName, "an older file");
    EXPECT_GT(failEveryCall(run, c.raise), 3);
    EXPECT_EQ(ReadRaw(request.targetName), ReadRaw(plain));
    WriteRaw(request.targetName, "an older file");
  }
  request.code = OperationCode::kSign;
  request.sourceName = plain;
  failure = FileOutcome::kSigningFailed;
  EXPECT_GT(failEveryCall(run, RaiseOutOfMemory), 3);
}

TEST_F(FileFaultTest, Signing) {
  const std::string data = makePlain("data", 30000);
  WriteRaw(path("data.sig"), "an older file");
  SignatureRequest request;
  request.generator = generator_.get();
  request.message = TextString(Utf8ToWindows1252("hej"));
  EXPECT_GT(failEveryCall([&] { return SignFile(request, carol_.privateRecord, data, path("data.sig")); }),
            3);
  SignatureRequest check;
  check.generator = generator_.get();
  EXPECT_TRUE(VerifyFile(check, data, carol_.publicRecord, path("data.sig")));
}

// The export writes and flushes both files before it puts either in place, the proof first.
// A failure anywhere leaves the folder as it was, except in the key file's own commit (the
// last two calls), which leaves the new proof beside the older key file: a key file never
// appears without its proof, and the older one does not fit the new proof.
TEST_F(FileFaultTest, PublicKeyExport) {
  const std::string dir = folder();
  test::StoreTestKeyPair(dir, "carol", "Carol");
  const std::string target = path("carol.public_key");
  WriteRaw(target, "an older file");
  const std::map<std::string, std::string> before = Snapshot(dir);
  std::vector<int> changed;
  int calls = 0;
  for (int n = 1; n < 1000; ++n) {
    platform::FailNthFileCall(static_cast<std::uint64_t>(n));
    const KeyStatus outcome = ExportPublicKey(dir, target, *generator_, 1700000000);
    const bool hit = platform::InjectedFileFaultHit();
    platform::FailNthFileCall(0);
    if (!hit) {
      EXPECT_EQ(outcome, KeyOutcome::kOk);
      calls = n - 1;
      break;
    }
    EXPECT_NE(outcome, KeyOutcome::kOk) << "call " << n;
    // Whichever call failed, the user is told what the system said.
    EXPECT_EQ(outcome.cause.file.finding, Finding::kSystem) << "call " << n;
    EXPECT_EQ(outcome.cause.file.error, platform::FileError::kDiskFull) << "call " << n;
    std::map<std::string, std::string> after = Snapshot(dir);
    if (after == before) continue;
    changed.push_back(n);
    EXPECT_EQ(after.at("carol.public_key"), "an older file") << "call " << n;
    EXPECT_EQ(after.erase("carol.public_key.signature"), 1u) << "call " << n;
    EXPECT_EQ(after, before) << "call " << n;
    ASSERT_TRUE(platform::RemoveFile(target + ".signature"));
  }
  EXPECT_GT(calls, 6);
  EXPECT_EQ(changed, (std::vector<int>{calls - 1, calls}));
  EXPECT_NE(ReadRaw(target), "an older file");
}

TEST_F(FileFaultTest, WorkingFolderFiles) {
  const std::string dir = folder();
  test::StoreTestKeyPair(dir, "bob", "Bob");
  EXPECT_GT(failEveryCall([&] {
              return WriteStoredKeyPair(dir, StoredKeyPair{carol_.privateRecord, carol_.publicRecord,
                                                           KeyNameText("Carol")}) == KeyOutcome::kOk;
            }),
            3);
  // Locking the stored pair anew, and writing a new one locked: the old file stays whole.
  KeyLocking passphrase{KeyLock::kPassphrase, SecretText("fras"), generator_.get(), ScryptCost{4, 1, 1}};
  EXPECT_GT(failEveryCall([&] { return RelockStoredKeyPair(dir, nullptr, passphrase) == KeyOutcome::kOk; }),
            3);
  EXPECT_GT(failEveryCall([&] {
              return WriteStoredKeyPair(
                         dir, StoredKeyPair{carol_.privateRecord, carol_.publicRecord, KeyNameText("Carol")},
                         platform::Overwrite::kReplace, passphrase) == KeyOutcome::kOk;
            }),
            3);

  ASSERT_EQ(AddTrustedKey(dir, test::CertKeyFrom("bob", "Org B", "0102030405060708").publicRecord),
            KeyOutcome::kOk);
  EXPECT_GT(failEveryCall([&] {
              return AddTrustedKey(dir,
                                   test::CertKeyFrom("carol", "Org C", "1112131415161718").publicRecord) ==
                     KeyOutcome::kOk;
            }),
            3);
  EXPECT_EQ(ReadTrustedKeys(dir).size(), 2u);

  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir, Settings{Settings::kOki, 0}));
  EXPECT_GT(failEveryCall([&] {
              return WriteSettings(dir, Settings{Settings::kQuillseal, 1}) == SettingsOutcome::kSaved;
            }),
            3);
  EXPECT_EQ(ReadSettings(dir).compression, 1);

  const std::string seed = platform::JoinPath(dir, kSeedFileName);
  ASSERT_TRUE(generator_->writeSeedFile(seed));
  EXPECT_GT(failEveryCall([&] { return generator_->writeSeedFile(seed); }), 3);
}

}  // namespace
}  // namespace qs
