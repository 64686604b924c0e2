#include "formats/encrypted_file.h"

#include <filesystem>

#include "base/byte_stream.h"
#include "base/record.h"
#include "codec/chunk_codec.h"
#include "crypto/key_pair.h"
#include "crypto/key_wrap.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/recipients_header.h"
#include "formats/signing_context.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::ReadRaw;

class EncryptedFileTest : public test::PipelineTest {
 protected:
  // Encrypts from sender to recipient; returns the code (kCancelled's absence: success).
  bool encrypt(const test::TestKeyPair& sender, const test::TestKeyPair& recipient, const std::string& source,
               const std::string& target, ChunkCompression compression, ResultCode& code,
               ChunkProgress* progress = nullptr) {
    return test::Ran(
        EncryptFile(job(source, target, compression, progress), sender.privateRecord, recipient.publicRecord),
        code);
  }
  bool decrypt(const test::TestKeyPair& recipient, const test::TestKeyPair& sender, const std::string& source,
               const std::string& target, ResultCode& code, ChunkProgress* progress = nullptr) {
    return test::Ran(DecryptFile(job(source, target, ChunkCompression::kNone, progress),
                                 recipient.privateRecord, sender.publicRecord),
                     code);
  }
};

TEST_F(EncryptedFileTest, RoundTripsAtChunkBoundariesBothWaysAndCompressed) {
  const std::size_t sizes[] = {0, 1, kChunkBytes - 1, kChunkBytes, kChunkBytes + 1, 2 * kChunkBytes + 3};
  for (ChunkCompression compression :
       {ChunkCompression::kNone, ChunkCompression::kFormat, ChunkCompression::kStrong}) {
    for (std::size_t size : sizes) {
      const bool aliceToBob = size % 2 == 0;
      const auto& sender = aliceToBob ? alice_ : bob_;
      const auto& recipient = aliceToBob ? bob_ : alice_;
      const std::string plain = makePlain("plain", size);
      ResultCode code = ResultCode::kCancelled;
      ChunkProgress progress;
      ASSERT_TRUE(encrypt(sender, recipient, plain, path("enc"), compression, code, &progress)) << size;
      const std::uint32_t chunks = static_cast<std::uint32_t>((size + kChunkBytes - 1) / kChunkBytes);
      EXPECT_EQ(progress.count.load(), chunks);
      ASSERT_TRUE(decrypt(recipient, sender, path("enc"), path("dec"), code))
          << size << " " << static_cast<int>(code);
      EXPECT_EQ(ReadRaw(path("dec")), ReadRaw(plain))
          << size << " compression " << static_cast<int>(compression);
      EXPECT_EQ(listing(), "dec\nenc\nplain\n");
    }
  }
}

TEST_F(EncryptedFileTest, HeaderAndEmptyFileSizes) {
  const std::string empty = makePlain("empty", 0);
  ResultCode code;
  // 103 + k1 + k2, and two bytes for each character of "komprimerad=0 storlek=0".
  ASSERT_TRUE(encrypt(bob_, alice_, empty, path("small"), ChunkCompression::kNone, code));  // 2048 and 2048
  EXPECT_EQ(ReadRaw(path("small")).size(), 4u + 615 + 46 + 4 + 64);
  ASSERT_TRUE(encrypt(alice_, bob_, empty, path("large"), ChunkCompression::kNone, code));  // 4096 and 4096
  EXPECT_EQ(ReadRaw(path("large")).size(), 4u + 1127 + 46 + 4 + 64);
  ASSERT_TRUE(decrypt(bob_, alice_, path("large"), path("out"), code));
  EXPECT_EQ(ReadRaw(path("out")), "");
  EXPECT_EQ(SealedTableSize(3), 80u);
  EXPECT_EQ(SealedTableSize(4), 80u);
  EXPECT_EQ(SealedTableSize(7), 96u);
}

TEST(LeastChunkCount, IsTheSmallestCountWhoseTableSealsToTheSize) {
  for (std::uint64_t n = 0; n < 200; ++n) {
    const std::optional<std::uint64_t> least = LeastChunkCount(SealedTableSize(n));
    ASSERT_TRUE(least) << n;
    EXPECT_LE(*least, n);
    EXPECT_LE(n, *least + 3);
    EXPECT_EQ(SealedTableSize(*least), SealedTableSize(n));
    if (*least > 0) {
      EXPECT_NE(SealedTableSize(*least - 1), SealedTableSize(n)) << n;
    }
  }
  for (const std::uint64_t size : {0, 63, 65, 79}) {
    EXPECT_FALSE(LeastChunkCount(size)) << size;
  }
}

// A file as a reader that knows nothing of the header message would decrypt it: the
// signature is checked, with its label, and its message ignored.
std::optional<std::string> DecryptIgnoringTheMessage(const std::string& file,
                                                     const test::TestKeyPair& recipient,
                                                     const test::TestKeyPair& sender) {
  EncryptedFileReader in(file);
  const std::optional<ByteBuffer> record = in.readHeader();
  if (!record) return std::nullopt;
  ByteStream header(*record);
  if (!ReadRecordHeader(header, tag::kEncryptedFile) || header.readU8() != 0) return std::nullopt;
  const std::uint8_t compressed = header.readU8();
  if (compressed > 1 || header.readU8() != kEncryptionMethod) return std::nullopt;
  const ByteBuffer wrappedKey = header.readField();
  const ByteBuffer signature = header.readField();
  SigningContext checker(nullptr);
  std::uint32_t timestamp = 0;
  WideText ignored;
  if (!checker.setLabel(TextString(kEncryptedFileLabel)) || !checker.addData(wrappedKey.span()) ||
      !checker.verify(signature, sender.publicRecord, timestamp, ignored)) {
    return std::nullopt;
  }
  const ByteBuffer key = UnwrapKey(recipient.privateRecord, wrappedKey);
  if (key.empty() || !in.readTable(key.span())) return std::nullopt;
  std::string plain;
  for (std::uint32_t i = 0; i < in.count(); ++i) {
    std::optional<ByteBuffer> chunk = in.readChunk();
    if (!chunk || (compressed == 1 && !DecompressChunk(*chunk))) return std::nullopt;
    plain.append(reinterpret_cast<const char*>(chunk->data()), chunk->length());
  }
  return plain;
}

TEST_F(EncryptedFileTest, KnownFilesDecryptWhetherTheHeaderMessageIsReadOrNot) {
  for (const test::Vector& v : test::LoadVectors("formats/encrypted_files.txt")) {
    const ByteBuffer file = test::FromHex(v.at("File"));
    const ByteBuffer plain = test::FromHex(v.at("Plain"));
    const std::string expected(reinterpret_cast<const char*>(plain.data()), plain.length());
    test::WriteRaw(path("enc"), std::string(reinterpret_cast<const char*>(file.data()), file.length()));
    EXPECT_EQ(ByteStream(file).readU32(), std::stoul(v.at("Header"))) << v.at("Name");
    ResultCode code;
    ASSERT_TRUE(decrypt(carol_, bob_, path("enc"), path("dec"), code)) << v.at("Name");
    EXPECT_EQ(ReadRaw(path("dec")), expected) << v.at("Name");
    EXPECT_EQ(DecryptIgnoringTheMessage(path("enc"), carol_, bob_), expected) << v.at("Name");
  }
}

// Key pairs beyond the three fixed ones, made once: 2048-bit keys take a tenth of a second.
const std::vector<KeyPairRecords>& MoreKeyPairs(std::size_t count) {
  static std::vector<KeyPairRecords> pairs;
  const std::unique_ptr<RandomGenerator> generator = test::SeededGenerator();
  while (pairs.size() < count) pairs.push_back(GenerateKeyPair(0, 0, *generator, nullptr).value());
  return pairs;
}

std::uint16_t VersionOf(const std::string& file) {
  EncryptedFileReader in(file);
  const std::optional<ByteBuffer> record = in.readHeader();
  return record ? HeaderVersion(*record).value_or(0xFFFF) : 0xFFFF;
}

// Files for several recipients: each of them decrypts, anyone else is told that the file is
// not for their key, and a reader that knows only the first version refuses the file at its
// version check instead of misreading it.
TEST_F(EncryptedFileTest, EveryOneOfSeveralRecipientsDecrypts) {
  const std::string plain = makePlain("plain", kChunkBytes + 5);
  std::vector<test::TestKeyPair> everyone;
  for (const KeyPairRecords& more : MoreKeyPairs(kMaxRecipients - 2))
    everyone.push_back({more.privateRecord, more.publicRecord});
  everyone.insert(everyone.begin() + 20, bob_);
  everyone.push_back(carol_);
  const std::vector<std::vector<test::TestKeyPair>> groups = {
      {bob_, carol_}, {alice_, bob_, carol_} /* the sender among them */, everyone};
  for (const std::vector<test::TestKeyPair>& group : groups) {
    std::vector<ByteBuffer> recipients;
    for (const test::TestKeyPair& member : group) recipients.push_back(member.publicRecord);
    ASSERT_TRUE(EncryptFile(job(plain, path("enc")), alice_.privateRecord, recipients)) << group.size();
    EXPECT_EQ(VersionOf(path("enc")), 1) << group.size();
    for (const test::TestKeyPair& member : group) {
      const FileResult result =
          DecryptFile(job(path("enc"), path("dec")), member.privateRecord, alice_.publicRecord);
      ASSERT_TRUE(result) << group.size();
      EXPECT_EQ(result.binding, SenderBinding::kBound);
      EXPECT_EQ(ReadRaw(path("dec")), ReadRaw(plain)) << group.size();
      std::filesystem::remove(path("dec"));
    }
    EXPECT_FALSE(DecryptIgnoringTheMessage(path("enc"), group.front(), alice_)) << group.size();
  }
  ASSERT_TRUE(EncryptFile(job(plain, path("enc")), alice_.privateRecord,
                          std::vector{bob_.publicRecord, carol_.publicRecord}));
  const FileResult stranger =
      DecryptFile(job(path("enc"), path("dec")), alice_.privateRecord, alice_.publicRecord);
  EXPECT_EQ(stranger.failure, ResultCode::kKeys);
  EXPECT_EQ(stranger.cause.finding, Finding::kNotForThisKey);
  EXPECT_EQ(listing(), "enc\nplain\n");
}

// A source read from a stream, whose size is known only at its end, makes the file the named
// source makes, of the same size and version; a file decrypted to a stream gives the same
// bytes; a check writes nothing. Nothing is left beside the target.
TEST_F(EncryptedFileTest, StreamsMakeAndReadTheFilesNamedFilesDo) {
  const std::size_t sizes[] = {0, 1, kChunkBytes - 1, kChunkBytes, kChunkBytes + 1, 2 * kChunkBytes + 3};
  const std::vector<ByteBuffer> one{bob_.publicRecord};
  const std::vector<ByteBuffer> two{bob_.publicRecord, carol_.publicRecord};
  for (const std::vector<ByteBuffer>* recipients : {&one, &two}) {
    for (std::size_t size : sizes) {
      SCOPED_TRACE(testing::Message() << size << " bytes, " << recipients->size() << " recipients");
      const std::string plain = makePlain("plain", size);
      const ChunkCompression compression =
          size % 2 == 0 ? ChunkCompression::kFormat : ChunkCompression::kNone;
      ASSERT_TRUE(EncryptFile(job(plain, path("named"), compression), alice_.privateRecord, *recipients));
      std::optional<platform::File> in = platform::File::openRead(plain);
      ASSERT_TRUE(in);
      FileJob fromStream = job("<stream>", path("piped"), compression);
      fromStream.sourceStream = &*in;
      ASSERT_TRUE(EncryptFile(fromStream, alice_.privateRecord, *recipients));
      EXPECT_EQ(ReadRaw(path("piped")).size(), ReadRaw(path("named")).size());
      EXPECT_EQ(VersionOf(path("piped")), VersionOf(path("named")));

      ASSERT_TRUE(DecryptFile(job(path("piped"), path("dec")), bob_.privateRecord, alice_.publicRecord));
      EXPECT_EQ(ReadRaw(path("dec")), ReadRaw(plain));
      std::optional<platform::File> out = platform::File::create(path("streamed"));
      ASSERT_TRUE(out);
      FileJob toStream = job(path("named"), "<stream>");
      toStream.targetStream = &*out;
      ASSERT_TRUE(DecryptFile(toStream, bob_.privateRecord, alice_.publicRecord));
      out.reset();
      EXPECT_EQ(ReadRaw(path("streamed")), ReadRaw(plain));
      FileJob check = job(path("piped"), path("unwritten"));
      check.checkOnly = true;
      EXPECT_TRUE(DecryptFile(check, bob_.privateRecord, alice_.publicRecord));
      EXPECT_EQ(listing(), "dec\nnamed\npiped\nplain\nstreamed\n");
    }
  }
}

// To a stream each chunk goes out only once it has opened: a damaged second chunk ends the
// run with its failure after the first chunk, and nothing of it.
TEST_F(EncryptedFileTest, AStreamGetsTheChunksBeforeADamagedOne) {
  const std::string plain = makePlain("plain", 2 * kChunkBytes + 3);
  ASSERT_TRUE(EncryptFile(job(plain, path("enc")), alice_.privateRecord, std::vector{bob_.publicRecord}));
  const std::uint64_t size = ReadRaw(path("enc")).size();
  test::PatchByte(path("enc"), size - kChunkBytes - 100, 0x01);  // within the second chunk
  std::optional<platform::File> out = platform::File::create(path("streamed"));
  ASSERT_TRUE(out);
  FileJob toStream = job(path("enc"), "<stream>");
  toStream.targetStream = &*out;
  const FileResult result = DecryptFile(toStream, bob_.privateRecord, alice_.publicRecord);
  out.reset();
  EXPECT_EQ(result.cause.finding, Finding::kDamagedChunk);
  EXPECT_EQ(result.cause.at, 2u);
  EXPECT_EQ(ReadRaw(path("streamed")), ReadRaw(plain).substr(0, kChunkBytes));
}

// One recipient keeps the first version's header, which every reader knows; no count the
// second version cannot hold, and no recipient given twice, is written at all.
TEST_F(EncryptedFileTest, RecipientListsAndTheVersionTheyGet) {
  const std::string plain = makePlain("plain", 100);
  ASSERT_TRUE(EncryptFile(job(plain, path("one")), alice_.privateRecord, std::vector{bob_.publicRecord}));
  EXPECT_EQ(VersionOf(path("one")), 0);
  EXPECT_EQ(DecryptIgnoringTheMessage(path("one"), bob_, alice_), ReadRaw(plain));
  std::vector<ByteBuffer> tooMany;
  for (const KeyPairRecords& more : MoreKeyPairs(kMaxRecipients - 2)) tooMany.push_back(more.publicRecord);
  for (const test::TestKeyPair* fixed : {&alice_, &bob_, &carol_}) tooMany.push_back(fixed->publicRecord);
  const std::vector<ByteBuffer> refused[] = {
      {}, tooMany, {bob_.publicRecord, bob_.publicRecord}, {bob_.publicRecord, bob_.privateRecord}};
  for (const std::vector<ByteBuffer>& recipients : refused) {
    EXPECT_EQ(EncryptFile(job(plain, path("enc")), alice_.privateRecord, recipients).failure,
              ResultCode::kKeys)
        << recipients.size();
  }
  EXPECT_EQ(listing(), "one\nplain\n");
}

TEST_F(EncryptedFileTest, ChunkLayoutOfAThreeChunkFile) {
  const std::string plain = makePlain("plain", 2 * kChunkBytes + 10);
  ResultCode code;
  ASSERT_TRUE(encrypt(bob_, alice_, plain, path("enc"), ChunkCompression::kNone, code));
  // Header 615 and 58 for "komprimerad=0 storlek=4194314", table of 3 chunks 80, two full
  // chunks (4 + 2 MiB sealed) and one of 14 bytes.
  EXPECT_EQ(ReadRaw(path("enc")).size(), 8u + 615 + 58 + 80 +
                                             2 * SymmetricContext::SealedSize(4 + kChunkBytes) +
                                             SymmetricContext::SealedSize(14));
}

// Chunks sealed on several threads must give the very file one chunk at a time gives: the
// IVs are drawn in chunk order from the one generator. Only the header differs (its time).
TEST_F(EncryptedFileTest, ParallelChunksMatchTheOneByOneWriterAfterTheHeader) {
  // An even and an odd chunk count: chunks sealed in pairs, and a last one alone.
  for (const auto& [chunks, compression] : {std::pair{8u, ChunkCompression::kNone},
                                            {8u, ChunkCompression::kFormat},
                                            {3u, ChunkCompression::kNone},
                                            {3u, ChunkCompression::kStrong}}) {
    const bool compress = compression != ChunkCompression::kNone;
    const std::string plain = makePlain("plain", (chunks - 1) * kChunkBytes + 99);
    const std::string content = ReadRaw(plain);
    ResultCode code;
    generator_ = test::SeededGenerator();
    ASSERT_TRUE(encrypt(alice_, bob_, plain, path("parallel"), compression, code));

    generator_ = test::SeededGenerator();
    std::optional<WrittenHeader> header =
        WriteFileHeader(*generator_, compress, content.size(), alice_.privateRecord, bob_.publicRecord);
    ASSERT_TRUE(header);
    EncryptedFileWriter writer(path("serial"), header->sessionKey.span(), generator_.get());
    ASSERT_TRUE(writer.bindSender(alice_.publicRecord));
    ASSERT_TRUE(writer.begin(header->record, chunks));
    for (std::size_t offset = 0; offset < content.size(); offset += kChunkBytes) {
      const std::string slice = content.substr(offset, kChunkBytes);
      ByteBuffer chunk(reinterpret_cast<const std::uint8_t*>(slice.data()),
                       static_cast<std::uint32_t>(slice.size()));
      if (compression == ChunkCompression::kStrong) {
        ASSERT_TRUE(CompressChunkStrong(chunk));
      } else {
        ASSERT_TRUE(!compress || CompressChunk(chunk, kChunkBlockSorted));
      }
      ASSERT_TRUE(writer.writeChunk(chunk));
    }
    ASSERT_TRUE(writer.commit());

    const std::size_t afterHeader = 4 + header->record.length();
    EXPECT_TRUE(ReadRaw(path("parallel")).substr(afterHeader) == ReadRaw(path("serial")).substr(afterHeader))
        << chunks << " chunks, compression " << static_cast<int>(compression);
  }
}

TEST_F(EncryptedFileTest, ChunksThatDoNotShrinkAreStoredOneByteLonger) {
  std::string noise(2 * kChunkBytes + 5, '\0');
  std::uint32_t state = 12345;
  for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  test::WriteRaw(path("noise"), noise);
  ResultCode code;
  ASSERT_TRUE(encrypt(alice_, bob_, path("noise"), path("enc"), ChunkCompression::kFormat, code));
  ASSERT_TRUE(decrypt(bob_, alice_, path("enc"), path("dec"), code));
  EXPECT_TRUE(ReadRaw(path("dec")) == noise);
  EXPECT_EQ(ReadRaw(path("enc")).size(), 8u + 1127 + 58 + SealedTableSize(3) +
                                             2 * SymmetricContext::SealedSize(4 + kChunkBytes + 1) +
                                             SymmetricContext::SealedSize(4 + 6));
}

TEST_F(EncryptedFileTest, WrongKeysFailWithTheKeyCode) {
  const std::string plain = makePlain("plain", 1000);
  ResultCode code;
  ASSERT_TRUE(encrypt(alice_, bob_, plain, path("enc"), ChunkCompression::kNone, code));
  // The sender named wrongly: the signature fails before bob's private key is used.
  EXPECT_FALSE(decrypt(bob_, carol_, path("enc"), path("out"), code));
  EXPECT_EQ(code, ResultCode::kKeys);
  // Encrypted for bob, opened by carol.
  EXPECT_FALSE(decrypt(carol_, alice_, path("enc"), path("out"), code));
  EXPECT_EQ(code, ResultCode::kKeys);
  // A public record where a private one belongs.
  EXPECT_FALSE(encrypt(test::TestKeyPair{alice_.publicRecord, alice_.publicRecord}, bob_, plain, path("x"),
                       ChunkCompression::kNone, code));
  EXPECT_EQ(code, ResultCode::kKeys);
  EXPECT_EQ(listing(), "enc\nplain\n");
}

TEST_F(EncryptedFileTest, NoCreditFailsAtKeyWrapping) {
  const std::string plain = makePlain("plain", 10);
  RandomGenerator poor;
  FileJob poorJob = job(plain, path("enc"), ChunkCompression::kNone, nullptr);
  poorJob.generator = &poor;
  EXPECT_EQ(EncryptFile(poorJob, alice_.privateRecord, bob_.publicRecord).failure, ResultCode::kKeys);
  EXPECT_EQ(listing(), "plain\n");
}

TEST_F(EncryptedFileTest, TargetThatIsTheSourceIsRefusedUntouched) {
  const std::string plain = makePlain("plain", 5000);
  const std::string before = ReadRaw(plain);
  ResultCode code;
  EXPECT_FALSE(encrypt(alice_, bob_, plain, path("./plain"), ChunkCompression::kNone, code));
  EXPECT_EQ(code, ResultCode::kTarget);
  ASSERT_TRUE(encrypt(alice_, bob_, plain, path("enc"), ChunkCompression::kNone, code));
  const std::string encrypted = ReadRaw(path("enc"));
  EXPECT_FALSE(decrypt(bob_, alice_, path("enc"), path("./enc"), code));
  EXPECT_EQ(code, ResultCode::kTarget);
  EXPECT_EQ(ReadRaw(plain), before);
  EXPECT_EQ(ReadRaw(path("enc")), encrypted);
}

TEST_F(EncryptedFileTest, CancelLeavesNothingAndKeepsAnOlderTarget) {
  const std::string plain = makePlain("plain", kChunkBytes + 5);
  test::WriteRaw(path("target"), "older");
  ChunkProgress progress;
  progress.cancel = 1;
  ResultCode code;
  EXPECT_FALSE(encrypt(alice_, bob_, plain, path("target"), ChunkCompression::kNone, code, &progress));
  EXPECT_EQ(code, ResultCode::kCancelled);
  EXPECT_EQ(progress.current.load(), 0u);
  EXPECT_EQ(ReadRaw(path("target")), "older");

  ASSERT_TRUE(encrypt(alice_, bob_, plain, path("enc"), ChunkCompression::kNone, code));
  EXPECT_FALSE(decrypt(bob_, alice_, path("enc"), path("target"), code, &progress));
  EXPECT_EQ(code, ResultCode::kCancelled);
  EXPECT_EQ(ReadRaw(path("target")), "older");

  // Cancelled after the last chunk: still a cancel, still nothing written.
  const std::string one = makePlain("one", 100);
  EXPECT_FALSE(encrypt(alice_, bob_, one, path("target"), ChunkCompression::kNone, code, &progress));
  EXPECT_EQ(code, ResultCode::kCancelled);
  EXPECT_EQ(listing(), "enc\none\nplain\ntarget\n");
}

TEST_F(EncryptedFileTest, UnreadableSourceAndUnwritableTarget) {
  ResultCode code;
  EXPECT_FALSE(encrypt(alice_, bob_, path("missing"), path("enc"), ChunkCompression::kNone, code));
  EXPECT_EQ(code, ResultCode::kSource);
  EXPECT_FALSE(decrypt(bob_, alice_, path("missing"), path("out"), code));
  EXPECT_EQ(code, ResultCode::kSource);
  const std::string plain = makePlain("plain", 10);
  EXPECT_FALSE(encrypt(alice_, bob_, plain, path("no/folder/enc"), ChunkCompression::kNone, code));
  EXPECT_EQ(code, ResultCode::kTarget);
  // Even a file without chunks fails when its target cannot be written.
  const std::string empty = makePlain("empty", 0);
  ASSERT_TRUE(encrypt(alice_, bob_, empty, path("enc"), ChunkCompression::kNone, code));
  EXPECT_FALSE(decrypt(bob_, alice_, path("enc"), path("no/folder/out"), code));
  EXPECT_EQ(code, ResultCode::kTarget);
}

}  // namespace
}  // namespace qs
