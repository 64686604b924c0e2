#include "formats/oki_file.h"

#include <filesystem>

#include "formats/encrypted_file.h"
#include "tests/formats/pipeline_fixture.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;
using test::WriteRaw;

class OkiFileTest : public test::PipelineTest {
 protected:
  bool encrypt(const std::string& source, const std::string& target, bool& tooLarge,
               ProgressHook* hook = nullptr) {
    OkiParams params{generator_.get(), hook, 0};
    return EncryptOkiFile(params, source, target, bob_.publicRecord, alice_.privateRecord, tooLarge);
  }
  bool decrypt(const std::string& source, const std::string& target, ProgressHook* hook = nullptr) {
    OkiParams params{generator_.get(), hook, 0};
    return DecryptOkiFile(params, source, target, alice_.publicRecord, bob_.privateRecord);
  }
};

TEST_F(OkiFileTest, RoundTripsWithTheRecordSize) {
  for (std::size_t size : {0, 1, 16, 100000}) {
    const std::string plain = makePlain("plain", size);
    bool tooLarge = true;
    ASSERT_TRUE(encrypt(plain, path("enc"), tooLarge));
    EXPECT_FALSE(tooLarge);
    // 4 + 99 + k1 + k2 + 16 * (S / 16): bob's encryption key and alice's signing key are 4096 bits.
    EXPECT_EQ(ReadRaw(path("enc")).size(), 4u + 99 + 512 + 512 + 16 * (size / 16));
    bool isOki = false;
    ASSERT_TRUE(DetectOkiFile(path("enc"), isOki));
    EXPECT_TRUE(isOki);
    ASSERT_TRUE(decrypt(path("enc"), path("out")));
    EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain));
  }
  WriteRaw(path("enc"), ReadRaw(path("enc")) + "appended");
  EXPECT_TRUE(decrypt(path("enc"), path("out")));
}

TEST_F(OkiFileTest, DetectionTellsTheFormatsApart) {
  bool isOki = true;
  WriteRaw(path("short"), std::string(99, 'x'));
  EXPECT_FALSE(DetectOkiFile(path("short"), isOki));
  EXPECT_FALSE(DetectOkiFile(path("missing"), isOki));

  const std::string plain = makePlain("plain", 10);
  PipelineParams params{generator_.get(), ChunkCompression::kNone, nullptr};
  ResultCode code;
  ASSERT_TRUE(EncryptFile(params, alice_.privateRecord, bob_.publicRecord, plain, path("native"), code));
  ASSERT_TRUE(DetectOkiFile(path("native"), isOki));
  EXPECT_FALSE(isOki);

  bool tooLarge = false;
  ASSERT_TRUE(encrypt(plain, path("oki"), tooLarge));
  PatchByte(path("oki"), 10, 0x20);  // inside the "EncryptedData" tag
  ASSERT_TRUE(DetectOkiFile(path("oki"), isOki));
  EXPECT_FALSE(isOki);
  EXPECT_FALSE(DecryptFile(params, bob_.privateRecord, alice_.publicRecord, path("oki"), path("out"), code));
  EXPECT_EQ(code, ResultCode::kSource);
}

TEST_F(OkiFileTest, SizeLimits) {
  // One byte over the limit is refused before anything is read or written; a sparse file
  // keeps this cheap.
  test::WriteRaw(path("big"), "");
  std::filesystem::resize_file(std::filesystem::path(path("big")), kMaxOkiPlainBytes + 1);
  WriteRaw(path("enc"), "older");
  bool tooLarge = false;
  EXPECT_FALSE(encrypt(path("big"), path("enc"), tooLarge));
  EXPECT_TRUE(tooLarge);
  EXPECT_EQ(ReadRaw(path("enc")), "older");

  // A record length one above the limit, or beyond the file, fails without allocating it.
  std::string header(100, '\0');
  header[0] = '\x01';
  header[1] = '\x00';
  header[2] = '\x30';
  header[3] = '\x11';  // 288,358,401
  WriteRaw(path("huge"), header);
  EXPECT_FALSE(decrypt(path("huge"), path("out")));
  header[0] = '\x00';  // 288,358,400: allowed, but the file does not hold it
  WriteRaw(path("huge"), header);
  EXPECT_FALSE(decrypt(path("huge"), path("out")));
  EXPECT_FALSE(std::filesystem::exists(path("out")));
}

#ifndef __SANITIZE_ADDRESS__  // 250 MiB through the sanitizers takes minutes
TEST_F(OkiFileTest, ExactlyTheLimitIsAccepted) {
  WriteRaw(path("limit"), std::string(kMaxOkiPlainBytes, 'q'));
  bool tooLarge = true;
  EXPECT_TRUE(encrypt(path("limit"), path("enc"), tooLarge));
  EXPECT_FALSE(tooLarge);
}
#endif

TEST_F(OkiFileTest, DamageWrongKeysCancelAndSameFile) {
  const std::string plain = makePlain("plain", 5000);
  bool tooLarge = false;
  ASSERT_TRUE(encrypt(plain, path("enc"), tooLarge));
  const std::string sealed = ReadRaw(path("enc"));
  for (std::size_t offset : {std::size_t{5}, std::size_t{30}, std::size_t{400}, sealed.size() - 1}) {
    PatchByte(path("enc"), offset, 0x04);
    EXPECT_FALSE(decrypt(path("enc"), path("out"))) << offset;
    PatchByte(path("enc"), offset, 0x04);
  }
  OkiParams params{generator_.get(), nullptr, 0};
  EXPECT_FALSE(DecryptOkiFile(params, path("enc"), path("out"), carol_.publicRecord, bob_.privateRecord));
  EXPECT_FALSE(DecryptOkiFile(params, path("enc"), path("out"), alice_.publicRecord, carol_.privateRecord));

  ProgressHook hook;
  hook.cancel = 1;
  WriteRaw(path("out"), "older");
  EXPECT_FALSE(encrypt(plain, path("out"), tooLarge, &hook));
  EXPECT_FALSE(tooLarge);
  EXPECT_FALSE(decrypt(path("enc"), path("out"), &hook));
  EXPECT_EQ(ReadRaw(path("out")), "older");

  EXPECT_FALSE(encrypt(plain, path("./plain"), tooLarge));
  EXPECT_FALSE(decrypt(path("enc"), path("./enc")));
  EXPECT_EQ(ReadRaw(path("enc")), sealed);
  EXPECT_EQ(listing(), "enc\nout\nplain\n");
}

// The command line tells a target it could not write (a full disk, a missing folder) from a
// wrong key, so the flag must be set for the one and cleared for the other.
TEST_F(OkiFileTest, TellsATargetFailureFromAKeyFailure) {
  const std::string plain = makePlain("plain", 5000);
  OkiParams params{generator_.get(), nullptr, 0};
  bool tooLarge = false;
  EXPECT_FALSE(
      EncryptOkiFile(params, plain, path("missing/enc"), bob_.publicRecord, alice_.privateRecord, tooLarge));
  EXPECT_TRUE(params.targetFailed);
  EXPECT_FALSE(EncryptOkiFile(params, plain, plain, bob_.publicRecord, alice_.privateRecord, tooLarge));
  EXPECT_TRUE(params.targetFailed);
  ASSERT_TRUE(EncryptOkiFile(params, plain, path("enc"), bob_.publicRecord, alice_.privateRecord, tooLarge));
  EXPECT_FALSE(params.targetFailed);

  EXPECT_FALSE(
      DecryptOkiFile(params, path("enc"), path("missing/out"), alice_.publicRecord, bob_.privateRecord));
  EXPECT_TRUE(params.targetFailed);
  EXPECT_FALSE(DecryptOkiFile(params, path("enc"), path("out"), carol_.publicRecord, bob_.privateRecord));
  EXPECT_FALSE(params.targetFailed);
  EXPECT_EQ(listing(), "enc\nplain\n");
}

}  // namespace
}  // namespace qs
