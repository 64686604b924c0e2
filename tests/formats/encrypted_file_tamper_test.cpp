#include <filesystem>
#include <functional>

#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/key_wrap.h"
#include "formats/encrypted_file.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/recipients_header.h"
#include "formats/signature_file.h"
#include "formats/signing_context.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;
using test::WriteRaw;

std::uint32_t U32At(const std::string& file, std::size_t offset) {
  return static_cast<std::uint8_t>(file[offset]) | static_cast<std::uint8_t>(file[offset + 1]) << 8 |
         static_cast<std::uint8_t>(file[offset + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(file[offset + 3])) << 24;
}
std::size_t HeaderEnd(const std::string& file) { return 4 + U32At(file, 0); }
std::size_t ChunksStart(const std::string& file) {
  return HeaderEnd(file) + 4 + U32At(file, HeaderEnd(file));
}

std::string AsString(const ByteBuffer& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}

class RefusalTest : public test::PipelineTest {
 protected:
  // Decrypts path("enc") for recipient from sender (bob from alice unless named) and checks
  // that it failed cleanly, leaving the folder as it was; gives the code, and keeps the cause
  // in cause_.
  ResultCode expectFailure(const std::string& what, const test::TestKeyPair* recipient = nullptr,
                           const test::TestKeyPair* sender = nullptr) {
    const std::string before = listing();
    const ByteBuffer& ownPrivate = (recipient != nullptr ? *recipient : bob_).privateRecord;
    const ByteBuffer& senderPublic = (sender != nullptr ? *sender : alice_).publicRecord;
    const FileResult result = DecryptFile(job(path("enc"), path("out")), ownPrivate, senderPublic);
    EXPECT_FALSE(result) << what;
    const ResultCode code = result.failure.value_or(ResultCode::kCancelled);
    EXPECT_TRUE(code == ResultCode::kSource || code == ResultCode::kKeys || code == ResultCode::kOtherMethod)
        << what << " gave " << static_cast<int>(code);
    EXPECT_EQ(listing(), before) << what;
    // Every refusal names the source.
    EXPECT_EQ(result.cause.file, path("enc")) << what;
    cause_ = result.cause;
    // A check without output finds what the decryption finds.
    FileJob check = job(path("enc"), path("out"));
    check.checkOnly = true;
    const FileResult checked = DecryptFile(check, ownPrivate, senderPublic);
    EXPECT_EQ(checked.failure, result.failure) << what;
    EXPECT_EQ(checked.cause.finding, result.cause.finding) << what;
    EXPECT_EQ(listing(), before) << what;
    return code;
  }
  FileCause cause_;
};

struct TamperCase {
  bool compressed;
  bool severalRecipients;  // bob and carol: the header of version 1
};

std::string TamperCaseName(const ::testing::TestParamInfo<TamperCase>& info) {
  return std::string(info.param.compressed ? "Compressed" : "Plain") +
         (info.param.severalRecipients ? "ForTwo" : "ForOne");
}

// A file from alice to bob, damaged in every way a disk, a network or an attacker could:
// each damaged file must fail with a reading, key or method code and leave nothing behind.
// Here three chunks, the first two identical so they seal (and compress) to the same size.
class TamperTest : public RefusalTest, public ::testing::WithParamInterface<TamperCase> {
 protected:
  void SetUp() override {
    WriteRaw(path("plain"), plainContent());
    const ChunkCompression compression =
        GetParam().compressed ? ChunkCompression::kFormat : ChunkCompression::kNone;
    const std::vector<ByteBuffer> recipients = GetParam().severalRecipients
                                                   ? std::vector{bob_.publicRecord, carol_.publicRecord}
                                                   : std::vector{bob_.publicRecord};
    ASSERT_TRUE(EncryptFile(job(path("plain"), path("enc"), compression), alice_.privateRecord, recipients));
    original_ = ReadRaw(path("enc"));
  }
  virtual std::string plainContent() const {
    const std::string chunk = test::PlainContent(kChunkBytes);
    return chunk + chunk + "tail";
  }

  // Flips each byte before end in turn; the method and compressed bytes fail with their codes.
  void expectEachByteChecked(std::size_t end) {
    for (std::size_t offset = 0; offset < end; ++offset) {
      PatchByte(path("enc"), offset, 0x01);
      const ResultCode code = expectFailure("byte " + std::to_string(offset));
      PatchByte(path("enc"), offset, 0x01);
      if (offset == 4 + 17 + 4) {
        EXPECT_EQ(code, ResultCode::kOtherMethod);
      } else if (offset == 4 + 17 + 3) {  // compressed, either way: signed in version 1
        EXPECT_EQ(code, GetParam().severalRecipients ? ResultCode::kKeys : ResultCode::kSource);
      }
    }
  }

  std::size_t headerEnd() const { return HeaderEnd(original_); }
  std::size_t chunksStart() const { return ChunksStart(original_); }

  std::string original_;
};

// Most documents fit one chunk, whose length nothing but the signed size checks.
class OneChunkTamperTest : public TamperTest {
 protected:
  std::string plainContent() const override { return test::PlainContent(300); }
};

TEST_P(TamperTest, EveryHeaderAndTableByteIsChecked) { expectEachByteChecked(chunksStart()); }

TEST_P(OneChunkTamperTest, EveryByteIsChecked) { expectEachByteChecked(original_.size()); }

TEST_P(TamperTest, ChunkBytesAreChecked) {
  const std::size_t start = chunksStart();
  for (std::size_t offset : {start, start + 16, start + 1000, start + kChunkBytes / 2, original_.size() / 2,
                             original_.size() - 40, original_.size() - 1}) {
    PatchByte(path("enc"), offset, 0x80);
    expectFailure("chunk byte " + std::to_string(offset));
    PatchByte(path("enc"), offset, 0x80);
  }
}

TEST_P(TamperTest, TruncatedFilesFail) {
  const std::size_t start = chunksStart();
  const std::size_t chunk = (original_.size() - start) / 3;  // roughly
  for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{100}, headerEnd(), start, start + 1,
                             start + chunk, original_.size() - 1}) {
    WriteRaw(path("enc"), original_.substr(0, length));
    expectFailure("cut at " + std::to_string(length));
    // Told as cut short, with the bytes there and, once the table is read, all it needs.
    EXPECT_EQ(cause_.finding, Finding::kTruncated) << length;
    EXPECT_EQ(cause_.at, length);
    if (length > start + 1) {
      EXPECT_EQ(cause_.of, original_.size()) << length;
    }
  }
}

TEST_P(TamperTest, SwappedAndDuplicatedChunksFail) {
  const std::size_t start = chunksStart();
  // The first two chunks hold the same plain bytes, so they seal to the same size; the
  // third holds "tail", which seals (stored or compressed) to one 64-byte unit.
  const std::size_t size = (original_.size() - start - 64) / 2;
  const std::string first = original_.substr(start, size);
  const std::string second = original_.substr(start + size, size);
  WriteRaw(path("enc"), original_.substr(0, start) + second + first + original_.substr(start + 2 * size));
  EXPECT_EQ(expectFailure("swapped"), ResultCode::kSource);
  EXPECT_EQ(cause_.finding, Finding::kDamagedChunk);
  EXPECT_EQ(cause_.at, 1u);
  EXPECT_EQ(cause_.of, 3u);
  WriteRaw(path("enc"),
           original_.substr(0, start) + first + first + second + original_.substr(start + 2 * size));
  EXPECT_EQ(expectFailure("duplicated"), ResultCode::kSource);
  EXPECT_EQ(cause_.finding, Finding::kTrailingBytes);  // a chunk more than the table has
}

TEST_P(TamperTest, AppendedBytesAreRefused) {
  for (const std::string& appended : {std::string(1, '\0'), std::string("trailing bytes")}) {
    WriteRaw(path("enc"), original_ + appended);
    EXPECT_EQ(expectFailure(std::to_string(appended.size()) + " bytes appended"), ResultCode::kSource);
    EXPECT_EQ(cause_.finding, Finding::kTrailingBytes);
  }
}

TEST_P(TamperTest, LengthsBeyondTheFileFailBeforeAllocating) {
  // A header length above the limit, and a table length far beyond the file.
  std::string bigHeader = original_;
  bigHeader[0] = '\x01';
  bigHeader[1] = '\x28';  // 10,241: above what version 0 takes
  WriteRaw(path("enc"), bigHeader);
  expectFailure("header length");
  bigHeader[1] = '\0';
  bigHeader[2] = '\x01';  // 65,537: above what version 1 takes
  WriteRaw(path("enc"), bigHeader);
  EXPECT_EQ(expectFailure("header length"), ResultCode::kSource);
  EXPECT_EQ(cause_.finding, Finding::kNotEncryptedFile);
  std::string bigTable = original_;
  bigTable[headerEnd() + 3] = '\x7F';
  WriteRaw(path("enc"), bigTable);
  EXPECT_EQ(expectFailure("table length"), ResultCode::kSource);
}

const TamperCase kTamperCases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
INSTANTIATE_TEST_SUITE_P(BothVersions, TamperTest, ::testing::ValuesIn(kTamperCases), TamperCaseName);
INSTANTIATE_TEST_SUITE_P(BothVersions, OneChunkTamperTest, ::testing::ValuesIn(kTamperCases), TamperCaseName);

// Files put together from parts of files the program wrote, with keys the attacker holds.
class SpliceTest : public RefusalTest {
 protected:
  void SetUp() override {
    const std::optional<WrappedKey> key = WrapKey(*generator_, bob_.publicRecord);
    ASSERT_TRUE(key);
    key_ = *key;
  }
  // A file of one chunk, or none for an empty plain, under the header and the session key;
  // bound to a sender when one is named, as an earlier writer's when none is.
  void writeFile(const ByteBuffer& header, const std::string& plain, const ByteBuffer* boundTo = nullptr) {
    EncryptedFileWriter out(path("enc"), key_.key.span(), generator_.get());
    ByteBuffer chunk = test::FromString(plain);
    ASSERT_TRUE(boundTo == nullptr || out.bindSender(*boundTo));
    ASSERT_TRUE(out.begin(header, plain.empty() ? 0 : 1));
    ASSERT_TRUE(plain.empty() || out.writeChunk(chunk));
    ASSERT_TRUE(out.commit());
  }
  // A header for the session key, signed by alice with the message.
  ByteBuffer signedHeader(bool compressed, const WideText& message) {
    SigningContext signer(generator_.get());
    EXPECT_TRUE(signer.setLabel(TextString(kEncryptedFileLabel)) &&
                signer.addData(key_.encryptedKeyRecord.span()));
    const std::optional<ByteBuffer> signature = signer.sign(alice_.privateRecord, 1700000000, message);
    EXPECT_TRUE(signature);
    return FileHeaderRecord(compressed, key_.encryptedKeyRecord, signature.value_or(ByteBuffer()));
  }

  WrappedKey key_;  // chosen by the attacker, wrapped for bob
};

TEST_F(SpliceTest, FileSignatureDoesNotPassAsTheSendersHeaderSignature) {
  // Alice is asked to sign a file whose bytes are the attacker's wrapped key; her signature
  // then heads a file that claims to come from her.
  WriteRaw(path("request"), AsString(key_.encryptedKeyRecord));
  SignatureRequest request;
  request.generator = generator_.get();
  ASSERT_TRUE(SignFile(request, alice_.privateRecord, path("request"), path("request.signature")));
  ByteStream stored;
  ASSERT_TRUE(ReadWholeFile(stored, path("request.signature")));
  writeFile(FileHeaderRecord(false, key_.encryptedKeyRecord, stored.bytes), "pay the bearer");
  EXPECT_EQ(expectFailure("file signature in a header"), ResultCode::kKeys);
}

// Alice signs a file that begins with the attacker's wrapped key and goes on with bytes shaped
// like the header's signed-information block (it can be an archive she reviews). Moved into
// the block, the rest of her signed bytes must not turn the signature into her header
// signature for that key: neither after that block, nor swallowed by its message.
TEST_F(SpliceTest, ASignedFileBeginningWithAWrappedKeyDoesNotHeadAFile) {
  ByteBuffer tail;
  tail.appendField(TextString(kEncryptedFileLabel).bytes());
  tail.appendU32(1700000000);
  tail.appendField(ByteBuffer());
  WriteRaw(path("request"), AsString(key_.encryptedKeyRecord) + AsString(tail) + "PK\x03\x04 an archive");
  SignatureRequest request;
  request.generator = generator_.get();
  ASSERT_TRUE(SignFile(request, alice_.privateRecord, path("request"), path("request.signature")));
  ByteStream stored;
  ASSERT_TRUE(ReadWholeFile(stored, path("request.signature")));
  const std::optional<SignatureRecord> genuine = ReadSignatureRecord(stored.bytes);
  ASSERT_TRUE(genuine);
  const std::string rest = ReadRaw(path("request")).substr(key_.encryptedKeyRecord.length() + tail.length()) +
                           AsString(genuine->signedInformation);
  ByteBuffer after = tail;
  after.append(test::FromString(rest).data(), static_cast<std::uint32_t>(rest.size()));
  ByteBuffer swallowed = tail;
  swallowed.resize(swallowed.length() - 4);
  swallowed.appendU32(static_cast<std::uint32_t>(rest.size()));
  swallowed.append(test::FromString(rest).data(), static_cast<std::uint32_t>(rest.size()));
  for (const ByteBuffer& block : {after, swallowed}) {
    writeFile(FileHeaderRecord(false, key_.encryptedKeyRecord, SignatureRecordOf(block, genuine->signature)),
              "pay the bearer", &alice_.publicRecord);
    EXPECT_EQ(expectFailure("a file signature cut into a header"), ResultCode::kKeys);
  }
}

// The header signature covers the wrapped key followed by the block: no other place to cut
// those bytes into a key record and a block may verify.
TEST_F(SpliceTest, NoOtherCutOfTheHeadersSignedBytesVerifies) {
  const ByteBuffer header = signedHeader(false, WideText(u"komprimerad=0 storlek=5"));
  Finding why = Finding::kNone;
  const std::optional<FileHeaderFields> fields = ReadFileHeaderFields(header, why);
  ASSERT_TRUE(fields);
  const std::optional<SignatureRecord> genuine = ReadSignatureRecord(fields->signature);
  ASSERT_TRUE(genuine);
  const std::string signedBytes = AsString(fields->encryptedKeyRecord) + AsString(genuine->signedInformation);
  for (std::size_t cut = 0; cut <= signedBytes.size(); ++cut) {
    const ByteBuffer key = test::FromString(signedBytes.substr(0, cut));
    const ByteBuffer block = test::FromString(signedBytes.substr(cut));
    const ByteBuffer record = FileHeaderRecord(false, key, SignatureRecordOf(block, genuine->signature));
    const bool accepted =
        ReadFileHeader(generator_.get(), bob_.privateRecord, alice_.publicRecord, record, why).has_value();
    EXPECT_EQ(accepted, cut == fields->encryptedKeyRecord.length()) << "cut at " << cut;
  }
}

// Whoever sees a file can sign its wrapped key again with a key of their own. The file's
// binding then names another sender than the one the header names, and it is refused; a file
// of an earlier writer binds nobody and is read as the new signer's, told as unbound.
TEST_F(SpliceTest, AHeaderSignedAgainByAnotherIsRefusedOrToldUnbound) {
  WriteRaw(path("plain"), "meeting at noon");
  ResultCode code;
  ASSERT_TRUE(
      test::Ran(EncryptFile(job(path("plain"), path("enc")), alice_.privateRecord, bob_.publicRecord), code));
  Finding why = Finding::kNone;
  const auto resign = [&](const std::string& file) {
    const std::optional<FileHeaderFields> fields =
        ReadFileHeaderFields(test::FromString(file.substr(4, HeaderEnd(file) - 4)), why);
    EXPECT_TRUE(fields);
    const std::optional<SignatureRecord> original = ReadSignatureRecord(fields->signature);
    EXPECT_TRUE(original);
    SigningContext signer(generator_.get());
    EXPECT_TRUE(signer.setLabel(TextString(kEncryptedFileLabel)) &&
                signer.addData(fields->encryptedKeyRecord.span()));
    const std::optional<ByteBuffer> signature =
        signer.sign(carol_.privateRecord, original->timestamp, original->message);
    EXPECT_TRUE(signature);
    ByteBuffer header;
    header.appendField(FileHeaderRecord(fields->compressed, fields->encryptedKeyRecord, *signature));
    WriteRaw(path("enc"), AsString(header) + file.substr(HeaderEnd(file)));
  };
  const std::string genuine = ReadRaw(path("enc"));
  SenderBinding binding = SenderBinding::kOtherSender;
  ASSERT_TRUE(test::Ran(DecryptFile(job(path("enc"), path("out")), bob_.privateRecord, alice_.publicRecord),
                        code, &binding));
  EXPECT_EQ(binding, SenderBinding::kBound);
  resign(genuine);
  EXPECT_EQ(expectFailure("signed again by carol", &bob_, &carol_), ResultCode::kKeys);
  EXPECT_EQ(cause_.finding, Finding::kNotBySender);

  writeFile(signedHeader(false, WideText(u"komprimerad=0 storlek=5")), "older", nullptr);
  binding = SenderBinding::kOtherSender;
  ASSERT_TRUE(test::Ran(DecryptFile(job(path("enc"), path("out2")), bob_.privateRecord, alice_.publicRecord),
                        code, &binding));
  EXPECT_EQ(binding, SenderBinding::kUnbound);
  resign(ReadRaw(path("enc")));
  binding = SenderBinding::kOtherSender;
  ASSERT_TRUE(test::Ran(DecryptFile(job(path("enc"), path("out3")), bob_.privateRecord, carol_.publicRecord),
                        code, &binding));
  EXPECT_EQ(binding, SenderBinding::kUnbound);
}

TEST_F(SpliceTest, ChunkZeroInPlaceOfTheTableDoesNotReadAsNoChunks) {
  WriteRaw(path("plain"), test::PlainContent(300));
  ResultCode code;
  ASSERT_TRUE(
      test::Ran(EncryptFile(job(path("plain"), path("enc")), alice_.privateRecord, bob_.publicRecord), code));
  // This program's file, and one from bob to carol whose header binds no size.
  const struct {
    std::string file;
    const test::TestKeyPair* recipient;
    const test::TestKeyPair* sender;
  } files[] = {{ReadRaw(path("enc")), &bob_, &alice_},
               {AsString(test::FromHex(test::LoadVectors("formats/encrypted_files.txt").at(0).at("File"))),
                &carol_, &bob_}};
  for (const auto& [file, recipient, sender] : files) {
    const std::string chunk = file.substr(ChunksStart(file));
    ByteBuffer length;
    length.appendU32(static_cast<std::uint32_t>(chunk.size()));
    WriteRaw(path("enc"), file.substr(0, HeaderEnd(file)) + AsString(length) + chunk);
    EXPECT_EQ(expectFailure("table replaced", recipient, sender), ResultCode::kSource);
  }
}

TEST_F(SpliceTest, TableMustHoldExactlyItsChunkSizes) {
  const ByteBuffer header = signedHeader(false, WideText());
  const auto chunk = static_cast<std::uint32_t>(SymmetricContext::SealedSize(4 + 100));
  const std::uint32_t tooLong = static_cast<std::uint32_t>(kMaxSealedChunkBytes) + 16;
  // The count, then the sizes: one too many, one too few, and one no chunk can have.
  for (const std::vector<std::uint32_t>& table :
       std::vector<std::vector<std::uint32_t>>{{1, chunk, chunk}, {2, chunk}, {1, tooLong}, {0, 0}}) {
    ByteBuffer sealed;
    for (const std::uint32_t value : table) sealed.appendU32(value);
    SymmetricContext sealer(key_.key.span(), generator_.get());
    ASSERT_TRUE(sealer.encrypt(sealed));
    ByteBuffer file;
    file.appendField(header);
    file.appendField(sealed);
    const std::string body(tooLong, 'x');  // the file can hold any chunk named
    WriteRaw(path("enc"), AsString(file) + body);
    EXPECT_EQ(expectFailure("table of " + std::to_string(table.size()) + " values"), ResultCode::kSource);
  }
}

TEST_F(SpliceTest, SignedFlagAndSizeMustMatchTheFile) {
  const std::string plain(1000, 'x');
  const struct {
    std::u16string message;
    bool compressed;
    bool accepted;
  } cases[] = {
      {u"komprimerad=0 storlek=1000", false, true},
      {u"", false, true},                                // an older writer binds nothing
      {u"komprimerad=0 storlek=999", false, false},      // the last chunk is longer
      {u"komprimerad=0 storlek=1001", false, false},     // or shorter
      {u"komprimerad=0 storlek=2097153", false, false},  // two chunks, the table holds one
      {u"komprimerad=0 storlek=0", false, false},
      {u"komprimerad=0 storlek=18446744073709551615", false, false},
      {u"komprimerad=1 storlek=1000", false, false},  // the header's byte says otherwise
      {u"komprimerad=0 storlek=1000", true, false},
      {u"komprimerad=0 storlek=01000", false, false},  // one spelling per size
      {u"komprimerad=0 storlek=+1000", false, false},
      {u"komprimerad=0 storlek=1000 ", false, false},
      {u"komprimerad=0  storlek=1000", false, false},
      {u"komprimerad=00 storlek=1000", false, false},
      {u"storlek=1000 komprimerad=0", false, false},
      {u"Komprimerad=0 storlek=1000", false, false},
      {u"komprimerad=0 storlek=", false, false},
      {u"komprimerad=0 storlek=18446744073709551616", false, false},  // beyond 64 bits
  };
  for (const auto& [message, compressed, accepted] : cases) {
    const std::string what(message.begin(), message.end());
    writeFile(signedHeader(compressed, WideText(message)), plain);
    if (!accepted) {
      EXPECT_EQ(expectFailure(what), ResultCode::kSource);
      continue;
    }
    ResultCode code;
    EXPECT_TRUE(
        test::Ran(DecryptFile(job(path("enc"), path("out")), bob_.privateRecord, alice_.publicRecord), code))
        << what;
    EXPECT_EQ(ReadRaw(path("out")), plain) << what;
    std::filesystem::remove(path("out"));
  }
  // A unit above 0xFF is no signature's message at all.
  writeFile(signedHeader(false, WideText(u"komprimerad=0 storlek=1000\u0100")), plain);
  EXPECT_EQ(expectFailure("a wide unit"), ResultCode::kKeys);
}

// A version-1 header record of these fields, laid out as the writer lays them.
ByteBuffer RecipientsRecord(const RecipientsHeaderFields& fields) {
  ByteBuffer record;
  record.appendField(ByteBuffer::fromText(tag::kEncryptedFile));
  record.appendU16(kRecipientsHeaderVersion);
  record.appendU8(0);
  record.appendU8(fields.compressed ? 1 : 0);
  record.appendU8(kEncryptionMethod);
  record.appendU32(static_cast<std::uint32_t>(fields.plainSize));
  record.appendU32(static_cast<std::uint32_t>(fields.plainSize >> 32));
  record.appendU16(static_cast<std::uint16_t>(fields.encryptedKeys.size()));
  for (std::size_t i = 0; i < fields.encryptedKeys.size(); ++i) {
    record.appendField(fields.encryptedKeys[i]);
    record.appendField(fields.sealedFileKeys[i]);
  }
  record.appendField(fields.contentDigest);
  record.appendField(fields.signature);
  return record;
}

// A file from alice to carol, bob and herself, taken apart by someone who sees it or, with
// the file key, by one of its recipients.
class SeveralRecipientsSpliceTest : public RefusalTest {
 protected:
  void SetUp() override {
    WriteRaw(path("plain"), "meeting at noon");
    ASSERT_TRUE(EncryptFile(job(path("plain"), path("enc")), alice_.privateRecord,
                            std::vector{carol_.publicRecord, bob_.publicRecord, alice_.publicRecord}));
    original_ = ReadRaw(path("enc"));
    record_ = test::FromString(original_.substr(4, HeaderEnd(original_) - 4));
    Finding why = Finding::kNone;
    std::optional<RecipientsHeaderFields> fields = ReadRecipientsHeaderFields(record_, why);
    ASSERT_TRUE(fields);
    fields_ = std::move(*fields);
  }
  // The file with another header record and everything after the header as it was.
  void writeWithHeader(const ByteBuffer& record) {
    ByteBuffer header;
    header.appendField(record);
    WriteRaw(path("enc"), AsString(header) + original_.substr(HeaderEnd(original_)));
  }
  ByteBuffer signedBytes() const { return ByteBuffer(record_.span().first(fields_.signedBytes)); }
  // A "Signature" record over the header's signed bytes.
  ByteBuffer signatureOver(const test::TestKeyPair& signer, const char* label, const WideText& message) {
    SigningContext context(generator_.get());
    EXPECT_TRUE(context.setLabel(TextString(label)) && context.addData(signedBytes().span()));
    return context.sign(signer.privateRecord, 1700000000, message).value_or(ByteBuffer());
  }

  std::string original_;
  ByteBuffer record_;
  RecipientsHeaderFields fields_;
};

TEST_F(SeveralRecipientsSpliceTest, WrapsCannotBeSwappedDroppedDuplicatedOrReordered) {
  const auto changed = [this](const std::function<void(RecipientsHeaderFields&)>& change) {
    RecipientsHeaderFields fields = fields_;
    change(fields);
    return RecipientsRecord(fields);
  };
  const auto swapWraps = [](RecipientsHeaderFields& f) {
    std::swap(f.encryptedKeys[0], f.encryptedKeys[1]);
    std::swap(f.sealedFileKeys[0], f.sealedFileKeys[1]);
  };
  const struct {
    const char* what;
    ByteBuffer record;
  } cases[] = {
      {"reordered", changed(swapWraps)},
      {"dropped", changed([](RecipientsHeaderFields& f) {
         f.encryptedKeys.erase(f.encryptedKeys.begin());
         f.sealedFileKeys.erase(f.sealedFileKeys.begin());
       })},
      {"bob's in carol's place", changed([](RecipientsHeaderFields& f) {
         f.encryptedKeys[0] = f.encryptedKeys[1];
         f.sealedFileKeys[0] = f.sealedFileKeys[1];
       })},
      {"bob's twice", changed([](RecipientsHeaderFields& f) {
         f.encryptedKeys.push_back(f.encryptedKeys[1]);
         f.sealedFileKeys.push_back(f.sealedFileKeys[1]);
       })},
      {"sealed keys swapped",
       changed([](RecipientsHeaderFields& f) { std::swap(f.sealedFileKeys[0], f.sealedFileKeys[1]); })},
  };
  writeWithHeader(RecipientsRecord(fields_));
  ResultCode code;
  ASSERT_TRUE(
      test::Ran(DecryptFile(job(path("enc"), path("out")), bob_.privateRecord, alice_.publicRecord), code));
  std::filesystem::remove(path("out"));
  for (const auto& [what, record] : cases) {
    writeWithHeader(record);
    EXPECT_EQ(expectFailure(what), ResultCode::kKeys);
    EXPECT_EQ(cause_.finding, Finding::kNotBySender) << what;
  }
}

// The signature under this header's own label, by the sender, with no message, over exactly
// the bytes before it: a header signature of the first version, a file signature over the same
// bytes, a message or another signer does not stand for it.
TEST_F(SeveralRecipientsSpliceTest, OnlyTheHeadersOwnSignatureStandsForIt) {
  WriteRaw(path("request"), AsString(signedBytes()));
  SignatureRequest request;
  request.generator = generator_.get();
  ASSERT_TRUE(SignFile(request, alice_.privateRecord, path("request"), path("request.signature")));
  ByteStream fileSignature;
  ASSERT_TRUE(ReadWholeFile(fileSignature, path("request.signature")));
  const struct {
    const char* what;
    ByteBuffer signature;
    bool accepted;
  } cases[] = {
      {"signed again by alice", signatureOver(alice_, kEncryptedFileRecipientsLabel, WideText()), true},
      {"a header signature of the first version", signatureOver(alice_, kEncryptedFileLabel, WideText()),
       false},
      {"a file signature", fileSignature.bytes, false},
      {"with a message", signatureOver(alice_, kEncryptedFileRecipientsLabel, WideText(u"x")), false},
      {"by carol", signatureOver(carol_, kEncryptedFileRecipientsLabel, WideText()), false},
  };
  for (const auto& [what, signature, accepted] : cases) {
    RecipientsHeaderFields fields = fields_;
    fields.signature = signature;
    writeWithHeader(RecipientsRecord(fields));
    if (accepted) {
      ResultCode code;
      EXPECT_TRUE(test::Ran(
          DecryptFile(job(path("enc"), path("out")), bob_.privateRecord, alice_.publicRecord), code))
          << what;
      std::filesystem::remove(path("out"));
      continue;
    }
    EXPECT_EQ(expectFailure(what), ResultCode::kKeys);
    EXPECT_EQ(cause_.finding, Finding::kNotBySender) << what;
  }
}

// Bob holds the file key, so he can seal chunks and a table that open under it and bind them
// to alice, as with a file of the first version. Alice's signature covers what she sealed, so
// such a file is refused, to carol and to bob himself.
TEST_F(SeveralRecipientsSpliceTest, ARecipientCannotMakeContentFromTheSender) {
  Finding why = Finding::kNone;
  const std::optional<AcceptedHeader> header =
      ReadRecipientsHeader(generator_.get(), bob_.privateRecord, alice_.publicRecord, record_, why);
  ASSERT_TRUE(header);
  // As long as the genuine plain text, so that the signed size holds.
  for (const std::string& forged : {std::string("meeting at dawn"), std::string("MEETING AT NOON")}) {
    EncryptedFileWriter out(path("enc"), header->sessionKey.span(), generator_.get());
    ByteBuffer chunk = test::FromString(forged);
    ASSERT_TRUE(out.bindSender(alice_.publicRecord));
    ASSERT_TRUE(out.begin(record_, 1));
    ASSERT_TRUE(out.writeChunk(chunk));
    ASSERT_TRUE(out.commit());
    for (const test::TestKeyPair* recipient : {&carol_, &bob_}) {
      EXPECT_EQ(expectFailure("forged by bob: " + forged, recipient), ResultCode::kKeys);
      EXPECT_EQ(cause_.finding, Finding::kNotBySender);
    }
    // What goes to a stream cannot be taken back: none of the forged content goes out.
    {
      std::optional<platform::File> stream = platform::File::create(path("streamed"));
      ASSERT_TRUE(stream);
      FileJob toStream = job(path("enc"), "<stream>");
      toStream.targetStream = &*stream;
      const FileResult result = DecryptFile(toStream, carol_.privateRecord, alice_.publicRecord);
      EXPECT_EQ(result.cause.finding, Finding::kNotBySender);
    }
    EXPECT_EQ(ReadRaw(path("streamed")), "") << forged;
    std::filesystem::remove(path("streamed"));
  }
}

// The count is checked before anything is allocated for the wraps.
TEST_F(SeveralRecipientsSpliceTest, CountsOutOfRangeAreRefusedAsNoHeader) {
  const std::size_t countAt = 17 + 2 + 3 + 8;
  for (const std::uint16_t count : {0, 1, 65, 0xFFFF}) {
    ByteBuffer record = record_;
    record.data()[countAt] = static_cast<std::uint8_t>(count);
    record.data()[countAt + 1] = static_cast<std::uint8_t>(count >> 8);
    Finding why = Finding::kNone;
    EXPECT_FALSE(ReadRecipientsHeaderFields(record, why)) << count;
    EXPECT_EQ(why, Finding::kNotEncryptedFile);
    writeWithHeader(record);
    EXPECT_EQ(expectFailure("count " + std::to_string(count)), ResultCode::kSource);
  }
}

}  // namespace
}  // namespace qs
