#include "formats/signature_file.h"

#include "base/windows1252.h"
#include "formats/signing_context.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;

class SignatureFileTest : public test::PipelineTest {
 protected:
  bool sign(const std::string& source, const std::string& target, const std::string& message = "",
            ChunkProgress* progress = nullptr) {
    SignatureRequest request;
    request.generator = generator_.get();
    request.message = TextString(Utf8ToWindows1252(message));
    request.timestamp = 1700000000;
    request.progress = progress;
    return SignFile(request, alice_.privateRecord, source, target);
  }
  bool verify(const std::string& source, const std::string& signature, SignatureRequest& request,
              const ByteBuffer* signer = nullptr) {
    request.generator = generator_.get();
    return VerifyFile(request, source, signer ? *signer : alice_.publicRecord, signature);
  }
};

TEST_F(SignatureFileTest, SignsAndVerifiesWithMessageAndTimestamp) {
  const std::string data = makePlain("data.bin", 50000);
  ASSERT_TRUE(sign(data, path("data.signature"), "h\xC3\xA4j"));  // "häj"
  // 52 + 2m + k for a signing modulus of k bytes (alice signs with 4096 bits).
  const std::string stored = ReadRaw(path("data.signature"));
  EXPECT_EQ(stored.size(), 52u + 2 * 3 + 512);
  EXPECT_NE(stored.find(std::string("\0h\0\xE4\0j", 6)), std::string::npos);  // ä is 00 E4

  SignatureRequest request;
  ChunkProgress progress;
  request.progress = &progress;
  ASSERT_TRUE(verify(data, path("data.signature"), request));
  EXPECT_EQ(request.timestamp, 1700000000u);
  EXPECT_EQ(request.message.str(), "h\xE4j");
  EXPECT_EQ(progress.count.load(), 3u);  // ceil(50000 / 20480)
  EXPECT_EQ(progress.current.load(), 2u);
}

TEST_F(SignatureFileTest, EmptyAndExactBlockFiles) {
  const std::string empty = makePlain("empty", 0);
  ChunkProgress progress;
  ASSERT_TRUE(sign(empty, path("empty.signature"), "", &progress));
  EXPECT_EQ(progress.count.load(), 0u);
  EXPECT_EQ(ReadRaw(path("empty.signature")).size(), 52u + 512);
  SignatureRequest request;
  EXPECT_TRUE(verify(empty, path("empty.signature"), request));
  EXPECT_EQ(request.message.str(), "");

  const std::string block = makePlain("block", kSignatureHashBlock);
  ChunkProgress blockProgress;
  ASSERT_TRUE(sign(block, path("block.signature"), "", &blockProgress));
  EXPECT_EQ(blockProgress.count.load(), 1u);
  EXPECT_EQ(blockProgress.current.load(), 1u);
  EXPECT_TRUE(verify(block, path("block.signature"), request));
}

TEST_F(SignatureFileTest, AnyChangeMakesVerificationFail) {
  const std::string data = makePlain("data.bin", 30000);
  ASSERT_TRUE(sign(data, path("sig"), "abc"));
  SignatureRequest request;
  ASSERT_TRUE(verify(data, path("sig"), request));

  PatchByte(data, 29999, 0x01);
  EXPECT_FALSE(verify(data, path("sig"), request));
  PatchByte(data, 29999, 0x01);

  // Container 4, tag field 13, version 2, reserved 2, block field length 4, then the block:
  // label field 4 + 11, timestamp 4, message field 4 + 6.
  const std::uint64_t block = 4 + 13 + 2 + 2 + 4;
  for (std::uint64_t offset :
       {block + 4 + 3, block + 15, block + 15 + 4 + 4 + 1, std::uint64_t{4 + 13 + 2}}) {
    PatchByte(path("sig"), offset, 0x01);
    EXPECT_FALSE(verify(data, path("sig"), request)) << offset;
    PatchByte(path("sig"), offset, 0x01);
  }
  EXPECT_TRUE(verify(data, path("sig"), request));
  const ByteBuffer& someoneElse = carol_.publicRecord;
  EXPECT_FALSE(verify(data, path("sig"), request, &someoneElse));
  EXPECT_FALSE(verify(path("missing"), path("sig"), request));
  EXPECT_FALSE(verify(data, path("missing"), request));
}

TEST_F(SignatureFileTest, StoredLabelMustBeTheExpectedOne) {
  const std::string data = makePlain("data.bin", 100);
  ASSERT_TRUE(sign(data, path("sig")));
  SignatureRequest request;
  EXPECT_TRUE(verify(data, path("sig"), request));
  // Another label, a prefix and a longer text: a signature is valid only for its own kind.
  for (const char* label : {kEncryptedFileLabel, "SignedFil", "SignedFiles"}) {
    request.label = TextString(label);
    EXPECT_FALSE(verify(data, path("sig"), request)) << label;
  }
}

TEST_F(SignatureFileTest, FailureOrCancelLeavesNoPartialFileAndKeepsAnOlderOne) {
  const std::string data = makePlain("data.bin", 3 * kSignatureHashBlock + 5);
  test::WriteRaw(path("old.signature"), "older");
  ChunkProgress progress;
  progress.cancel = 1;
  EXPECT_FALSE(sign(data, path("old.signature"), "", &progress));
  EXPECT_EQ(progress.current.load(), 1u);  // stopped after the first block
  EXPECT_EQ(ReadRaw(path("old.signature")), "older");

  RandomGenerator poor;  // signing needs credit
  SignatureRequest request;
  request.generator = &poor;
  EXPECT_FALSE(SignFile(request, alice_.privateRecord, data, path("new.signature")));
  EXPECT_FALSE(SignFile(request, bob_.publicRecord, data, path("new.signature")));
  EXPECT_EQ(listing(), "data.bin\nold.signature\n");

  // The document is never its own signature's target, by its name or by another spelling.
  const std::string document = ReadRaw(data);
  EXPECT_FALSE(sign(data, data));
  EXPECT_FALSE(sign(data, path("./data.bin")));
  EXPECT_EQ(ReadRaw(data), document);
  EXPECT_EQ(listing(), "data.bin\nold.signature\n");
}

TEST(SigningContext, RoundsMustBeCompleteAndReservedMustBeZero) {
  auto generator = test::SeededGenerator();
  const auto& carol = test::KeyPairOf("carol");
  SigningContext context(generator.get());
  const std::uint8_t data[3] = {1, 2, 3};
  EXPECT_FALSE(context.addData(data));           // no label yet
  EXPECT_FALSE(context.setLabel(TextString()));  // a label needs text
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  EXPECT_FALSE(context.sign(carol.privateRecord, 0, WideText()));  // no data yet
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  ASSERT_TRUE(context.addData(data));
  std::optional<ByteBuffer> record = context.sign(carol.privateRecord, 7, WideText(u"x"));
  ASSERT_TRUE(record);

  std::uint32_t timestamp = 0;
  WideText message;
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  ASSERT_TRUE(context.addData(data));
  EXPECT_TRUE(context.verify(*record, carol.publicRecord, timestamp, message));
  EXPECT_EQ(timestamp, 7u);
  EXPECT_EQ(message.units(), u"x");

  record->at(4 + 9 + 2) = 1;  // reserved
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  ASSERT_TRUE(context.addData(data));
  EXPECT_FALSE(context.verify(*record, carol.publicRecord, timestamp, message));
  // The refused round leaves nothing in the digest for the next one.
  record->at(4 + 9 + 2) = 0;
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  ASSERT_TRUE(context.addData(data));
  EXPECT_TRUE(context.verify(*record, carol.publicRecord, timestamp, message));
}

TEST(SignatureRecord, ReadsTheSignedInformationOnlyFromAnExactRecord) {
  auto generator = test::SeededGenerator();
  SigningContext context(generator.get());
  const std::uint8_t data[3] = {1, 2, 3};
  ASSERT_TRUE(context.setLabel(TextString("SignedFile")));
  ASSERT_TRUE(context.addData(data));
  const std::optional<ByteBuffer> record =
      context.sign(test::KeyPairOf("carol").privateRecord, 7, WideText(u"x"));
  ASSERT_TRUE(record);

  const std::optional<SignatureRecord> parts = ReadSignatureRecord(*record);
  ASSERT_TRUE(parts);
  EXPECT_TRUE(parts->label.equals(TextString("SignedFile").bytes()));
  EXPECT_EQ(parts->timestamp, 7u);
  EXPECT_EQ(parts->message.units(), u"x");
  EXPECT_EQ(parts->signature.length(), 256u);

  ByteBuffer longer = *record;
  longer.appendU8(0);
  EXPECT_FALSE(ReadSignatureRecord(longer));
  EXPECT_FALSE(ReadSignatureRecord(ByteBuffer(record->span().first(record->length() - 1))));
}

}  // namespace
}  // namespace qs
