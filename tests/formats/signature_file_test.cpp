#include "formats/signature_file.h"
#include "platform/file_error.h"

#include <filesystem>
#include <functional>

#include "base/record.h"
#include "base/whole_file.h"
#include "base/windows1252.h"
#include "formats/signing_context.h"
#include "tests/formats/pipeline_fixture.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;
using test::WriteRaw;

std::string AsString(std::span<const std::uint8_t> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

ByteBuffer Block(const char* label, std::uint32_t timestamp, const std::u16string& message) {
  ByteBuffer block;
  block.appendField(TextString(label).bytes());
  block.appendU32(timestamp);
  block.appendField(WideText(message).toRecordBytes());
  return block;
}

class SignatureFileTest : public test::PipelineTest {
 protected:
  FileResult sign(const std::string& source, const std::string& target, const std::string& message = "",
                  ChunkProgress* progress = nullptr) {
    SignatureRequest request;
    request.generator = generator_.get();
    request.message = TextString(Utf8ToWindows1252(message));
    request.timestamp = 1700000000;
    request.progress = progress;
    return SignFile(request, alice_.privateRecord, source, target);
  }
  FileResult verify(const std::string& source, const std::string& signature, SignatureRequest& request,
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
}

// The six ways a verification fails that a user must tell apart: each names its file and
// what was wrong with it.
TEST_F(SignatureFileTest, EveryVerifyFailureNamesItsFileAndCause) {
  const std::string data = makePlain("data.bin", 30000);
  ASSERT_TRUE(sign(data, path("sig"), "abc"));
  const std::string sig = ReadRaw(path("sig"));
  test::WriteRaw(path("cut"), sig.substr(0, sig.size() - 10));
  test::WriteRaw(path("changed"), ReadRaw(data));
  PatchByte(path("changed"), 100, 0x01);
  const ByteBuffer& carol = carol_.publicRecord;
  const std::string folder = path("folder");
  std::filesystem::create_directory(folder);
  const struct {
    const char* what;
    std::string data, signature;
    const ByteBuffer* signer;
    FileCause cause;
  } cases[] = {
      {"missing signature",
       data,
       path("missing"),
       nullptr,
       {path("missing"), Finding::kSystem, platform::FileError::kNotFound}},
      {"missing data",
       path("missing"),
       path("sig"),
       nullptr,
       {path("missing"), Finding::kSystem, platform::FileError::kNotFound}},
      {"swapped", path("sig"), data, nullptr, {data, Finding::kNotSignatureFile}},
      {"cut short",
       data,
       path("cut"),
       nullptr,
       {path("cut"), Finding::kTruncated, platform::FileError::kNone, sig.size() - 10, sig.size()}},
      {"wrong signer", data, path("sig"), &carol, {data, Finding::kSignatureMismatch}},
      {"changed", path("changed"), path("sig"), nullptr, {path("changed"), Finding::kSignatureMismatch}},
      {"a folder", data, folder, nullptr, {folder, Finding::kSystem, platform::FileError::kIsFolder}},
  };
  for (const auto& c : cases) {
    SignatureRequest request;
    const FileResult result = verify(c.data, c.signature, request, c.signer);
    EXPECT_FALSE(result) << c.what;
    EXPECT_EQ(result.cause.file, c.cause.file) << c.what;
    EXPECT_EQ(result.cause.finding, c.cause.finding) << c.what;
    EXPECT_EQ(result.cause.error, c.cause.error) << c.what;
    EXPECT_EQ(result.cause.at, c.cause.at) << c.what;
    EXPECT_EQ(result.cause.of, c.cause.of) << c.what;
  }
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

// The signature covers the data followed by the block, with nothing between them: one
// signature over D || B must verify for D and B alone, never for another cut of those bytes.
TEST_F(SignatureFileTest, NoOtherCutOfTheSignedBytesVerifies) {
  const std::string data = ReadRaw(makePlain("data", 90));
  ASSERT_TRUE(sign(path("data"), path("data.signature"), "ok"));
  ByteStream stored;
  ASSERT_TRUE(ReadWholeFile(stored, path("data.signature")));
  const std::optional<SignatureRecord> genuine = ReadSignatureRecord(stored.bytes);
  ASSERT_TRUE(genuine);
  const std::string signedBytes = data + AsString(genuine->signedInformation.span());
  for (std::size_t cut = 0; cut <= signedBytes.size(); ++cut) {
    WriteRaw(path("cut"), signedBytes.substr(0, cut));
    const ByteBuffer block = test::FromString(signedBytes.substr(cut));
    ASSERT_TRUE(
        WriteWholeFile(ByteStream(SignatureRecordOf(block, genuine->signature)), path("cut.signature")));
    SignatureRequest request;
    EXPECT_EQ(verify(path("cut"), path("cut.signature"), request).ok(), cut == data.size())
        << "cut at " << cut;
  }
}

// Alice signs a document that ends in bytes shaped like a signed-information block: the
// signature must not then pass for the document without them, at the time and with the
// message those bytes name.
TEST_F(SignatureFileTest, ABlockShapedTailDoesNotSignThePrefix) {
  const std::string document = "Avtal om leverans av 100 enheter.\n";
  const ByteBuffer tail = Block("SignedFile", 946684800, u"Godk\u00e4nd av styrelsen");  // 2000-01-01
  WriteRaw(path("request"), document + AsString(tail.span()));
  ASSERT_TRUE(sign(path("request"), path("request.signature")));
  ByteStream stored;
  ASSERT_TRUE(ReadWholeFile(stored, path("request.signature")));
  const std::optional<SignatureRecord> genuine = ReadSignatureRecord(stored.bytes);
  ASSERT_TRUE(genuine);
  WriteRaw(path("document"), document);

  // The real block after the tail's, or swallowed by a message field that runs to the end.
  ByteBuffer after = tail;
  after.append(genuine->signedInformation.data(), genuine->signedInformation.length());
  ByteBuffer swallowed = Block("SignedFile", 946684800, u"");
  swallowed.resize(swallowed.length() - 4);
  swallowed.appendU32(static_cast<std::uint32_t>(tail.length() - swallowed.length() - 4 +
                                                 genuine->signedInformation.length()));
  swallowed.append(tail.data() + swallowed.length(), tail.length() - swallowed.length());
  swallowed.append(genuine->signedInformation.data(), genuine->signedInformation.length());
  for (const ByteBuffer& block : {after, swallowed}) {
    ASSERT_TRUE(WriteWholeFile(ByteStream(SignatureRecordOf(block, genuine->signature)), path("forged")));
    SignatureRequest request;
    EXPECT_FALSE(verify(path("document"), path("forged"), request)) << test::ToHex(block);
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

TEST(SignedInformation, IsReadOnlyInItsExactForm) {
  const ByteBuffer good = Block("SignedFile", 7, u"x\u00e4");
  const auto changed = [&good](const std::function<void(ByteBuffer&)>& change) {
    ByteBuffer block = good;
    change(block);
    return block;
  };
  ByteBuffer wide;  // a unit above 0xFF
  wide.appendField(TextString("SignedFile").bytes());
  wide.appendU32(7);
  wide.appendField(WideText(u"\u0100").toRecordBytes());
  ByteBuffer noZero;
  noZero.appendField(ByteBuffer::fromText("SignedFile"));
  noZero.appendU32(7);
  noZero.appendField(ByteBuffer());
  ByteBuffer onlyZero;
  onlyZero.appendField(ByteBuffer::zeros(1));
  onlyZero.appendU32(7);
  onlyZero.appendField(ByteBuffer());
  ByteBuffer oddMessage;
  oddMessage.appendField(TextString("SignedFile").bytes());
  oddMessage.appendU32(7);
  oddMessage.appendField(ByteBuffer::zeros(3));
  const struct {
    const char* what;
    ByteBuffer block;
    bool accepted;
  } cases[] = {
      {"as written", good, true},
      {"empty message", Block("EncryptedFile", 0, u""), true},
      {"a byte after the message", changed([](ByteBuffer& b) { b.appendU8(0); }), false},
      {"cut in the message", changed([](ByteBuffer& b) { b.resize(b.length() - 1); }), false},
      {"cut in the timestamp", ByteBuffer(good.span().first(4 + 11 + 2)), false},
      {"no message field", ByteBuffer(good.span().first(4 + 11 + 4)), false},
      {"a unit above 0xFF", wide, false},
      {"label without its zero", noZero, false},
      {"label of its zero alone", onlyZero, false},
      {"message of odd length", oddMessage, false},
      {"empty", ByteBuffer(), false},
  };
  for (const auto& [what, block, accepted] : cases) {
    const std::optional<SignedInformation> read = ReadSignedInformation(block.span());
    EXPECT_EQ(read.has_value(), accepted) << what;
    // Any bytes in front of an exact block make bytes that end with one.
    ByteBuffer behind = test::FromString("any data");
    behind.append(block.data(), block.length());
    EXPECT_EQ(EndsWithSignedInformation(behind.span()), accepted) << what;
  }
  const std::optional<SignedInformation> read = ReadSignedInformation(good.span());
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->label.equals(TextString("SignedFile").bytes()));
  EXPECT_EQ(read->timestamp, 7u);
  EXPECT_EQ(read->message.units(), u"x\u00e4");
  EXPECT_FALSE(EndsWithSignedInformation(test::FromString(std::string(300, '\x5A')).span()));
}

}  // namespace
}  // namespace qs
