#include "formats/oki_file.h"
#include "platform/file_error.h"

#include <filesystem>

#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/encrypted_data.h"
#include "crypto/key_wrap.h"
#include "crypto/sha256.h"
#include "formats/encrypted_file.h"
#include "formats/signature_file.h"
#include "formats/signing_context.h"
#include "platform/file.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;
using test::WriteRaw;

class OkiFileTest : public test::PipelineTest {
 protected:
  FileJob okiJob(const std::string& source, const std::string& target, ProgressHook* hook) {
    FileJob oki = job(source, target);
    oki.bytes = hook;
    return oki;
  }
  FileResult encrypt(const std::string& source, const std::string& target, ProgressHook* hook = nullptr) {
    return EncryptOkiFile(okiJob(source, target, hook), alice_.privateRecord, bob_.publicRecord);
  }
  FileResult decrypt(const std::string& source, const std::string& target, ProgressHook* hook = nullptr,
                     const test::TestKeyPair* sender = nullptr,
                     const test::TestKeyPair* recipient = nullptr) {
    const FileResult result =
        DecryptOkiFile(okiJob(source, target, hook), (recipient ? recipient : &bob_)->privateRecord,
                       (sender ? sender : &alice_)->publicRecord);
    binding_ = result.binding;
    return result;
  }
  // An OKI-format file for bob of a record with these fields, the data sealed under key with
  // the IV given, or a drawn one when none is.
  void writeOki(const ByteBuffer& ciphertext, const ByteBuffer& signature, std::span<const std::uint8_t> key,
                const std::string& plain,
                const std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>>& iv) {
    SymmetricContext sealer(key, generator_.get());
    ByteBuffer sealed = test::FromString(plain);
    ASSERT_TRUE(iv ? sealer.encrypt(sealed, *iv) : sealer.encrypt(sealed));
    ByteBuffer record;
    AppendRecordHeader(record, tag::kEncryptedData);
    record.appendU16(0);
    record.appendU16(0);
    record.appendField(ciphertext);
    record.appendField(signature);
    record.appendField(sealed);
    ByteBuffer file;
    file.appendField(record);
    WriteRaw(path("enc"), std::string(reinterpret_cast<const char*>(file.data()), file.length()));
  }

  SenderBinding binding_ = SenderBinding::kOtherSender;
};

TEST_F(OkiFileTest, RoundTripsWithTheRecordSize) {
  for (std::size_t size : {0, 1, 16, 100000}) {
    const std::string plain = makePlain("plain", size);
    ASSERT_TRUE(encrypt(plain, path("enc")));
    // 4 + 99 + k1 + k2 + 16 * (S / 16): bob's encryption key and alice's signing key are 4096 bits.
    EXPECT_EQ(ReadRaw(path("enc")).size(), 4u + 99 + 512 + 512 + 16 * (size / 16));
    FileResult why;
    EXPECT_EQ(DetectEncryptedFormat(path("enc"), why), EncryptedFormat::kOki);
    ASSERT_TRUE(decrypt(path("enc"), path("out")));
    EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain));
    EXPECT_EQ(binding_, SenderBinding::kBound);
  }
  // Nothing may follow the record, not even one byte.
  const std::string whole = ReadRaw(path("enc"));
  for (const std::string& appended : {std::string(1, '\0'), std::string("appended")}) {
    WriteRaw(path("enc"), whole + appended);
    EXPECT_FALSE(decrypt(path("enc"), path("out2")));
  }
  EXPECT_FALSE(std::filesystem::exists(path("out2")));
}

// The sender signs only the digest of C, so whoever sees a file can sign it again, and a
// signature over other bytes that happen to be C passes as the sender's: the data's IV names
// the sender, and a C that ends in a signed-information block is refused.
TEST_F(OkiFileTest, ASignatureByAnotherOrOverOtherDataIsRefused) {
  const std::string plain = makePlain("plain", 3000);
  ASSERT_TRUE(encrypt(plain, path("genuine")));
  FileResult why;
  const std::optional<ByteBuffer> record = ReadOkiRecord(path("genuine"), why);
  ASSERT_TRUE(record);
  const std::optional<EncryptedDataFields> fields = ReadEncryptedData(*record);
  ASSERT_TRUE(fields);
  const ByteBuffer byCarol = SignDigest(*generator_, carol_.privateRecord, Sha256(fields->ciphertext.span()));

  // Carol signs alice's file again: bound to alice, it is refused as carol's.
  ByteBuffer resigned;
  AppendRecordHeader(resigned, tag::kEncryptedData);
  resigned.appendU16(0);
  resigned.appendU16(0);
  resigned.appendField(fields->ciphertext);
  resigned.appendField(byCarol);
  resigned.appendField(fields->sealed);
  ByteBuffer file;
  file.appendField(resigned);
  WriteRaw(path("enc"), std::string(reinterpret_cast<const char*>(file.data()), file.length()));
  EXPECT_FALSE(decrypt(path("enc"), path("out"), nullptr, &carol_));

  // A file of an earlier writer (a drawn IV) still decrypts, told as unbound; signed again by
  // carol it then reads as carol's, which is what the binding is for.
  const std::optional<WrappedKey> wrapped = WrapKey(*generator_, bob_.publicRecord);
  ASSERT_TRUE(wrapped);
  const ByteBuffer ciphertext = ReadEncryptedKey(wrapped->encryptedKeyRecord).value_or(ByteBuffer());
  const ByteBuffer byAlice = SignDigest(*generator_, alice_.privateRecord, Sha256(ciphertext.span()));
  writeOki(ciphertext, byAlice, wrapped->key.span(), "older", std::nullopt);
  ASSERT_TRUE(decrypt(path("enc"), path("out")));
  EXPECT_EQ(ReadRaw(path("out")), "older");
  EXPECT_EQ(binding_, SenderBinding::kUnbound);
  writeOki(ciphertext, SignDigest(*generator_, carol_.privateRecord, Sha256(ciphertext.span())),
           wrapped->key.span(), "older", std::nullopt);
  ASSERT_TRUE(decrypt(path("enc"), path("out"), nullptr, &carol_));
  EXPECT_EQ(binding_, SenderBinding::kUnbound);

  // Bob, the recipient, asks alice to sign a document of k - 23 bytes; with its empty-message
  // block it is a k-byte value below his modulus, a C he can open with his own key.
  const std::size_t k = 512;  // bob's encryption modulus
  WriteRaw(path("document"), std::string(k - 23, 'D'));
  SignatureRequest request;
  request.generator = generator_.get();
  ASSERT_TRUE(SignFile(request, alice_.privateRecord, path("document"), path("document.signature")));
  ByteStream stored;
  ASSERT_TRUE(ReadWholeFile(stored, path("document.signature")));
  const std::optional<SignatureRecord> signature = ReadSignatureRecord(stored.bytes);
  ASSERT_TRUE(signature);
  ByteBuffer shaped = test::FromString(ReadRaw(path("document")));
  shaped.append(signature->signedInformation.data(), signature->signedInformation.length());
  ASSERT_EQ(shaped.length(), k);
  ByteBuffer encryptedKey;
  AppendRecordHeader(encryptedKey, tag::kEncryptedKey);
  encryptedKey.appendField(shaped);
  const ByteBuffer key = UnwrapKey(bob_.privateRecord, encryptedKey);
  ASSERT_EQ(key.length(), 32u);
  SymmetricContext binder(key.span(), nullptr);
  writeOki(shaped, signature->signature, key.span(), "pay the bearer",
           SenderBoundIv(binder, alice_.publicRecord));
  EXPECT_FALSE(decrypt(path("enc"), path("out2")));
  EXPECT_FALSE(std::filesystem::exists(path("out2")));
}

// From a source stream and to a target stream the files and the plaintext are those of the
// named files, at the sizes around the pipelines' 1 MiB pieces; a file whose record was put
// together from one whole-buffer seal, as the in-memory writer did, opens in pieces, and
// one sealed in pieces opens as a whole buffer.
TEST_F(OkiFileTest, StreamsGiveTheNamedFilesBytes) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2 << 20} - 1, std::size_t{2 << 20},
                           std::size_t{2 << 20} + 1}) {
    const std::string plain = makePlain("plain", size);
    std::optional<platform::File> in = platform::File::openRead(plain);
    ASSERT_TRUE(in);
    FileJob fromStream = okiJob(path("unnamed"), path("enc"), nullptr);
    fromStream.sourceStream = &*in;
    ASSERT_TRUE(EncryptOkiFile(fromStream, alice_.privateRecord, bob_.publicRecord)) << size;
    EXPECT_EQ(ReadRaw(path("enc")).size(), 4u + 99 + 512 + 512 + 16 * (size / 16));

    std::optional<platform::File> out = platform::File::create(path("streamed"));
    ASSERT_TRUE(out);
    FileJob toStream = okiJob(path("enc"), path("unnamed"), nullptr);
    toStream.targetStream = &*out;
    const FileResult streamed = DecryptOkiFile(toStream, bob_.privateRecord, alice_.publicRecord);
    ASSERT_TRUE(streamed) << size;
    EXPECT_EQ(streamed.binding, SenderBinding::kBound);
    out.reset();
    EXPECT_EQ(ReadRaw(path("streamed")), ReadRaw(plain)) << size;
    ASSERT_TRUE(decrypt(path("enc"), path("out")));
    EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain)) << size;

    FileResult why;
    const std::optional<ByteBuffer> record = ReadOkiRecord(path("enc"), why);
    ASSERT_TRUE(record);
    const OpenedMessage whole = DecryptMessage(bob_.privateRecord, alice_.publicRecord, *record, nullptr);
    ASSERT_TRUE(whole.message);
    EXPECT_EQ(whole.message->length(), size);
    const std::optional<EncryptedDataFields> fields = ReadEncryptedData(*record);
    ASSERT_TRUE(fields);
    const ByteBuffer key = UnwrapKey(bob_.privateRecord, [&] {
      ByteBuffer encryptedKey;
      AppendRecordHeader(encryptedKey, tag::kEncryptedKey);
      encryptedKey.appendField(fields->ciphertext);
      return encryptedKey;
    }());
    SymmetricContext opener(key.span(), nullptr);
    ByteBuffer sealed = fields->sealed;
    ASSERT_TRUE(opener.decrypt(sealed));
    EXPECT_TRUE(sealed.equals(*whole.message));

    SymmetricContext binder(key.span(), nullptr);
    writeOki(fields->ciphertext, fields->signature, key.span(), ReadRaw(plain),
             SenderBoundIv(binder, alice_.publicRecord));
    ASSERT_TRUE(decrypt(path("enc"), path("out")));
    EXPECT_EQ(ReadRaw(path("out")), ReadRaw(plain)) << size;
    EXPECT_EQ(binding_, SenderBinding::kBound);
  }
}

// A check opens and authenticates everything and writes nothing, not even an empty file.
TEST_F(OkiFileTest, ACheckWritesNothing) {
  const std::string plain = makePlain("plain", (1 << 20) + 5000);
  ASSERT_TRUE(encrypt(plain, path("sound")));
  const std::string sound = ReadRaw(path("sound"));
  WriteRaw(path("damaged"), sound);
  PatchByte(path("damaged"), sound.size() - 40000, 0x10);  // inside the sealed data
  WriteRaw(path("cut"), sound.substr(0, sound.size() - 1));
  const struct {
    std::string source;
    const test::TestKeyPair* recipient;
    Finding finding;
  } cases[] = {
      {path("sound"), &bob_, Finding::kNone},
      {path("damaged"), &bob_, Finding::kNotForThisKey},
      {path("cut"), &bob_, Finding::kTruncated},
      {path("sound"), &carol_, Finding::kNotForThisKey},
  };
  for (const auto& one : cases) {
    ProgressHook hook;
    FileJob check = okiJob(one.source, path("out"), &hook);
    check.checkOnly = true;
    const FileResult result = DecryptOkiFile(check, one.recipient->privateRecord, alice_.publicRecord);
    EXPECT_EQ(result.ok(), one.finding == Finding::kNone) << one.source;
    EXPECT_EQ(result.cause.finding, one.finding) << one.source;
    if (result) {
      EXPECT_GT(hook.count.load(), 2 * (1 << 20));  // the MAC and the cipher both counted
    }
  }
  EXPECT_EQ(listing(), "cut\ndamaged\nplain\nsound\n");
}

#ifndef __SANITIZE_ADDRESS__  // 250 MiB through the sanitizers takes minutes
// A stream tells no size beforehand: it is read and sealed up to the limit, and the byte past
// it ends the encryption. A sparse file stands in for the stream.
TEST_F(OkiFileTest, AStreamAboveTheLimitIsRefused) {
  WriteRaw(path("big"), "");
  std::filesystem::resize_file(std::filesystem::path(path("big")), kMaxOkiPlainBytes + 1);
  std::optional<platform::File> stream = platform::File::openRead(path("big"));
  ASSERT_TRUE(stream);
  WriteRaw(path("enc"), "older");
  FileJob fromStream = okiJob("-", path("enc"), nullptr);
  fromStream.sourceStream = &*stream;
  const FileResult result = EncryptOkiFile(fromStream, alice_.privateRecord, bob_.publicRecord);
  EXPECT_EQ(result.cause.finding, Finding::kTooLarge);
  EXPECT_EQ(result.cause.of, kMaxOkiPlainBytes);
  EXPECT_GT(result.cause.at, kMaxOkiPlainBytes);
  EXPECT_EQ(ReadRaw(path("enc")), "older");
  EXPECT_EQ(listing(), "big\nenc\n");
}
#endif

TEST_F(OkiFileTest, DetectionTellsTheFormatsApart) {
  FileResult why;
  WriteRaw(path("short"), std::string(99, 'x'));
  EXPECT_FALSE(DetectEncryptedFormat(path("short"), why));
  EXPECT_EQ(why.cause.finding, Finding::kNotEncryptedFile);
  EXPECT_FALSE(DetectEncryptedFormat(path("missing"), why));
  EXPECT_EQ(why.cause.error, platform::FileError::kNotFound);

  const std::string plain = makePlain("plain", 10);
  ASSERT_TRUE(EncryptFile(job(plain, path("native")), alice_.privateRecord, bob_.publicRecord));
  EXPECT_EQ(DetectEncryptedFormat(path("native"), why), EncryptedFormat::kNative);

  ASSERT_TRUE(encrypt(plain, path("oki")));
  PatchByte(path("oki"), 10, 0x20);  // inside the "EncryptedData" tag
  EXPECT_EQ(DetectEncryptedFormat(path("oki"), why), EncryptedFormat::kNative);
  EXPECT_EQ(DecryptFile(job(path("oki"), path("out")), bob_.privateRecord, alice_.publicRecord).failure,
            ResultCode::kSource);
}

TEST_F(OkiFileTest, SizeLimits) {
  // One byte over the limit is refused before anything is read or written; a sparse file
  // keeps this cheap.
  test::WriteRaw(path("big"), "");
  std::filesystem::resize_file(std::filesystem::path(path("big")), kMaxOkiPlainBytes + 1);
  WriteRaw(path("enc"), "older");
  EXPECT_EQ(encrypt(path("big"), path("enc")).cause.finding, Finding::kTooLarge);
  EXPECT_EQ(ReadRaw(path("enc")), "older");

  // A record length one above the limit, or beyond the file, fails without allocating it.
  std::string header(100, '\0');
  header[0] = '\x01';
  header[1] = '\x00';
  header[2] = '\x30';
  header[3] = '\x11';  // 288,358,401
  WriteRaw(path("huge"), header);
  EXPECT_EQ(decrypt(path("huge"), path("out")).cause.finding, Finding::kNotEncryptedFile);
  header[0] = '\x00';  // 288,358,400: allowed, but the file does not hold it
  WriteRaw(path("huge"), header);
  const FileResult cut = decrypt(path("huge"), path("out"));
  EXPECT_EQ(cut.cause.finding, Finding::kTruncated);
  EXPECT_EQ(cut.cause.at, 100u);
  EXPECT_EQ(cut.cause.of, 4u + kMaxOkiRecordBytes);
  EXPECT_FALSE(std::filesystem::exists(path("out")));
}

#ifndef __SANITIZE_ADDRESS__  // 250 MiB through the sanitizers takes minutes
TEST_F(OkiFileTest, ExactlyTheLimitIsAccepted) {
  WriteRaw(path("limit"), std::string(kMaxOkiPlainBytes, 'q'));
  EXPECT_TRUE(encrypt(path("limit"), path("enc")));
}
#endif

TEST_F(OkiFileTest, DamageWrongKeysCancelAndSameFile) {
  const std::string plain = makePlain("plain", 5000);
  ASSERT_TRUE(encrypt(plain, path("enc")));
  const std::string sealed = ReadRaw(path("enc"));
  for (std::size_t offset : {std::size_t{5}, std::size_t{30}, std::size_t{400}, sealed.size() - 1}) {
    PatchByte(path("enc"), offset, 0x04);
    EXPECT_FALSE(decrypt(path("enc"), path("out"))) << offset;
    PatchByte(path("enc"), offset, 0x04);
  }
  // The same words as the native format for the same cause.
  EXPECT_EQ(decrypt(path("enc"), path("out"), nullptr, &carol_).cause.finding, Finding::kNotBySender);
  EXPECT_EQ(decrypt(path("enc"), path("out"), nullptr, &alice_, &carol_).cause.finding,
            Finding::kNotForThisKey);
  WriteRaw(path("cut"), sealed.substr(0, sealed.size() - 1));
  const FileResult cut = decrypt(path("cut"), path("out"));
  EXPECT_EQ(cut.cause.finding, Finding::kTruncated);
  EXPECT_EQ(cut.cause.of, sealed.size());
  std::filesystem::remove(path("cut"));

  ProgressHook hook;
  hook.cancel = 1;
  WriteRaw(path("out"), "older");
  EXPECT_EQ(encrypt(plain, path("out"), &hook).failure, ResultCode::kCancelled);
  EXPECT_FALSE(decrypt(path("enc"), path("out"), &hook));
  EXPECT_EQ(ReadRaw(path("out")), "older");

  EXPECT_FALSE(encrypt(plain, path("./plain")));
  EXPECT_FALSE(decrypt(path("enc"), path("./enc")));
  EXPECT_EQ(ReadRaw(path("enc")), sealed);
  EXPECT_EQ(listing(), "enc\nout\nplain\n");
}

// A target that cannot be written is told apart from a wrong key, naming the file.
TEST_F(OkiFileTest, TellsATargetFailureFromAKeyFailure) {
  const std::string plain = makePlain("plain", 5000);
  std::optional<platform::File> readOnly = platform::File::openRead(plain);
  ASSERT_TRUE(readOnly);
  const auto toStream = [&](platform::File& stream) {
    FileJob job = okiJob(path("enc"), "-", nullptr);
    job.targetStream = &stream;
    return DecryptOkiFile(job, bob_.privateRecord, alice_.publicRecord);
  };
  const struct {
    FileResult result;
    std::optional<ResultCode> code;
    FileCause cause;
  } cases[] = {
      {encrypt(plain, path("missing/enc")),
       ResultCode::kTarget,
       {path("missing/enc"), Finding::kSystem, platform::FileError::kNoFolder}},
      {encrypt(plain, plain), ResultCode::kTarget, {plain, Finding::kSameFile}},
      {encrypt(plain, path("enc")), std::nullopt, {}},
      {decrypt(path("enc"), path("missing/out")),
       ResultCode::kTarget,
       {path("missing/out"), Finding::kSystem, platform::FileError::kNoFolder}},
      {decrypt(path("enc"), path("out"), nullptr, &carol_),
       ResultCode::kKeys,
       {path("enc"), Finding::kNotBySender}},
      {toStream(*readOnly), ResultCode::kTarget, {"-", Finding::kSystem, platform::LastFileError()}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].result.failure, cases[i].code) << i;
    EXPECT_EQ(cases[i].result.cause.file, cases[i].cause.file) << i;
    EXPECT_EQ(cases[i].result.cause.finding, cases[i].cause.finding) << i;
    EXPECT_EQ(cases[i].result.cause.error, cases[i].cause.error) << i;
  }
  EXPECT_EQ(listing(), "enc\nplain\n");
}

}  // namespace
}  // namespace qs
