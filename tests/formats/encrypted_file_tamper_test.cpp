#include <filesystem>

#include "formats/encrypted_file.h"
#include "formats/encrypted_file_stream.h"
#include "tests/formats/pipeline_fixture.h"

namespace qs {
namespace {

using test::PatchByte;
using test::ReadRaw;
using test::WriteRaw;

// A three-chunk file from alice to bob, damaged in every way a disk, a network or an
// attacker could: each damaged file must fail with a reading, key or method code and leave
// nothing behind.
class TamperTest : public test::PipelineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    // Two identical full chunks, so they seal (and compress) to the same size.
    std::string plain = test::PlainContent(kChunkBytes);
    plain += plain + "tail";
    WriteRaw(path("plain"), plain);
    PipelineParams params{generator_.get(), GetParam(), nullptr};
    ResultCode code;
    ASSERT_TRUE(EncryptFile(params, alice_.privateRecord, bob_.publicRecord, path("plain"), path("enc"), code));
    original_ = ReadRaw(path("enc"));
  }

  // Decrypts path("enc") and checks that it failed cleanly; gives the code.
  ResultCode expectFailure(const std::string& what) {
    PipelineParams params{generator_.get(), false, nullptr};
    ResultCode code = ResultCode::kCancelled;
    EXPECT_FALSE(DecryptFile(params, bob_.privateRecord, alice_.publicRecord, path("enc"), path("out"), code)) << what;
    EXPECT_TRUE(code == ResultCode::kSource || code == ResultCode::kKeys || code == ResultCode::kOtherMethod)
        << what << " gave " << static_cast<int>(code);
    EXPECT_EQ(listing(), "enc\nplain\n") << what;
    return code;
  }

  std::uint32_t u32At(std::size_t offset) const {
    return static_cast<std::uint8_t>(original_[offset]) | static_cast<std::uint8_t>(original_[offset + 1]) << 8 |
           static_cast<std::uint8_t>(original_[offset + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(original_[offset + 3])) << 24;
  }
  std::size_t headerEnd() const { return 4 + u32At(0); }
  std::size_t chunksStart() const { return headerEnd() + 4 + u32At(headerEnd()); }

  std::string original_;
};

TEST_P(TamperTest, EveryHeaderAndTableByteIsChecked) {
  const std::size_t end = chunksStart();
  for (std::size_t offset = 0; offset < end; ++offset) {
    PatchByte(path("enc"), offset, 0x01);
    const ResultCode code = expectFailure("byte " + std::to_string(offset));
    PatchByte(path("enc"), offset, 0x01);
    if (offset == 4 + 17 + 4) {  // the method byte
      EXPECT_EQ(code, ResultCode::kOtherMethod);
    }
  }
}

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
  WriteRaw(path("enc"), original_.substr(0, start) + first + first + second + original_.substr(start + 2 * size));
  EXPECT_EQ(expectFailure("duplicated"), ResultCode::kSource);
}

TEST_P(TamperTest, AppendedBytesAreIgnored) {
  WriteRaw(path("enc"), original_ + "trailing bytes");
  PipelineParams params{generator_.get(), false, nullptr};
  ResultCode code;
  ASSERT_TRUE(DecryptFile(params, bob_.privateRecord, alice_.publicRecord, path("enc"), path("out"), code));
  EXPECT_EQ(ReadRaw(path("out")), ReadRaw(path("plain")));
}

TEST_P(TamperTest, LengthsBeyondTheFileFailBeforeAllocating) {
  // A header length above the limit, and a table length far beyond the file.
  std::string bigHeader = original_;
  bigHeader[0] = '\x01';
  bigHeader[1] = '\x28';  // 10,241
  WriteRaw(path("enc"), bigHeader);
  expectFailure("header length");
  std::string bigTable = original_;
  bigTable[headerEnd() + 3] = '\x7F';
  WriteRaw(path("enc"), bigTable);
  EXPECT_EQ(expectFailure("table length"), ResultCode::kSource);
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, TamperTest, ::testing::Bool());

}  // namespace
}  // namespace qs
