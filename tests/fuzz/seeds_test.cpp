// Writes the seed corpus of every fuzz target into fuzz/corpus from the fixed test keys.
// Disabled: run it by hand after a format change, with
//   unit_tests --gtest_also_run_disabled_tests --gtest_filter='FuzzSeeds.*'
// Seeds are small on purpose: the fuzzer mutates faster from short inputs.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/byte_stream.h"
#include "codec/block_sort.h"
#include "codec/chunk_codec.h"
#include "crypto/encrypted_data.h"
#include "crypto/symmetric_context.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/signing_context.h"
#include "fuzz/fuzz_target.h"
#include "keys/certificate.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "operations/settings.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

class FuzzSeeds : public ::testing::Test {
 protected:
  void seed(const std::string& target, const std::string& name, const ByteBuffer& bytes) {
    const fs::path folder = fs::path(QS_FUZZ_CORPUS) / target;
    fs::create_directories(folder);
    test::WriteRaw((folder / ("seed-" + name)).string(),
                   std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length()));
  }
  static ByteBuffer prefixed(std::uint8_t first, const ByteBuffer& rest) {
    ByteBuffer out;
    out.appendU8(first);
    out.append(rest);
    return out;
  }
  static ByteBuffer text(const char* t) { return ByteBuffer::fromText(t); }

  std::unique_ptr<RandomGenerator> generator_ = test::SeededGenerator();
  const test::TestKeyPair& carol_ = test::KeyPairOf("carol");
};

TEST_F(FuzzSeeds, DISABLED_WriteSeeds) {
  const CertKeyPairRecords authority = test::CertKeyFrom("carol", "Fuzz Org", "66757a7a6b657931");
  ASSERT_EQ(std::string(fuzz::kFixedAuthorityKeyId), "fuzzkey1");
  const CertKeyPairRecords other = test::CertKeyFrom("bob", "Other Org", "0102030405060708");
  const ByteBuffer certification = test::CertificationOf(carol_.publicRecord, authority);
  const std::optional<ByteBuffer> certificate = CreateCertificate(carol_.publicRecord, {certification});
  ASSERT_TRUE(certificate);
  const ByteBuffer stored =
      EncodeStoredKeyPair(StoredKeyPair{carol_.privateRecord, carol_.publicRecord, KeyNameText("Carol")});

  seed("byte_stream", "public", prefixed(0xE4, carol_.publicRecord));
  seed("byte_stream", "fields", prefixed(0xFF, stored));
  ByteBuffer container;
  container.appendU32(2);
  container.appendU8(1);
  container.appendU8(1);
  seed("whole_file", "config", container);
  ByteBuffer storedFile;
  storedFile.appendU32(stored.length());
  storedFile.append(stored);
  seed("whole_file", "key_pair", storedFile);

  seed("key_record", "public", carol_.publicRecord);
  seed("key_record", "private", carol_.privateRecord);
  seed("key_record", "stored", stored);
  seed("cert_key", "public", authority.publicRecord);
  seed("cert_key", "private", authority.privateRecord);
  seed("certification", "one", certification);
  seed("certificate", "trusted", *certificate);
  seed("certificate", "untrusted",
       *CreateCertificate(carol_.publicRecord, {test::CertificationOf(carol_.publicRecord, other)}));
  seed("trusted_list", "two", EncodeTrustedKeyList({authority.publicRecord, other.publicRecord}));

  SigningContext signer(generator_.get());
  const std::uint8_t signedData[] = {'d', 'a', 't', 'a'};
  ASSERT_TRUE(signer.setLabel(TextString(kSignedFileLabel)) && signer.addData(signedData));
  const std::optional<ByteBuffer> signature = signer.sign(carol_.privateRecord, 1700000000, WideText());
  ASSERT_TRUE(signature);
  seed("signature_record", "data", *signature);

  const std::optional<WrittenHeader> header =
      WriteFileHeader(*generator_, true, 64 + 16, carol_.privateRecord, carol_.publicRecord);
  ASSERT_TRUE(header);
  seed("native_header", "compressed", header->record);

  test::TempFolder dir;
  {
    EncryptedFileWriter writer(dir.file("native"), fuzz::kFixedSessionKey, generator_.get());
    ASSERT_TRUE(writer.begin(header->record, 2));
    ByteBuffer first = text("aaaaaaaaaaaaaaaabbbbbbbbbbbbbbbbaaaaaaaaaaaaaaaabbbbbbbbbbbbbbbb");
    ASSERT_TRUE(CompressChunk(first, kChunkBlockSorted));
    ByteBuffer second = text("the second chunk");
    ASSERT_TRUE(CompressChunk(second, kChunkRunLength));
    ASSERT_TRUE(writer.writeChunk(first) && writer.writeChunk(second) && writer.commit());
  }
  const std::string native = test::ReadRaw(dir.file("native"));
  seed("native_file", "two_chunks",
       ByteBuffer(reinterpret_cast<const std::uint8_t*>(native.data()),
                  static_cast<std::uint32_t>(native.size())));

  const std::optional<ByteBuffer> oki = EncryptMessage(*generator_, carol_.publicRecord, carol_.privateRecord,
                                                       text("a short message"), nullptr);
  ASSERT_TRUE(oki);
  seed("oki_record", "message", *oki);

  const char* samples[] = {"", "abc",
                           "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaabbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb",
                           "banana bandana banana bandana banana"};
  for (std::uint8_t mode = 0; mode < 3; ++mode) {
    for (std::size_t i = 0; i < std::size(samples); ++i) {
      ByteBuffer chunk = text(samples[i]);
      seed("compress_roundtrip", std::to_string(mode) + "-" + std::to_string(i), prefixed(mode, chunk));
      ASSERT_TRUE(CompressChunk(chunk, mode));
      seed("decompress_chunk", std::to_string(mode) + "-" + std::to_string(i), chunk);
    }
  }
  for (std::size_t i = 0; i < std::size(samples); ++i)
    seed("strong_roundtrip", std::to_string(i), text(samples[i]));
  seed("strong_roundtrip", "periodic",
       text("abcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabc"));
  for (std::size_t i = 0; i < std::size(samples); ++i) {
    ByteBuffer block = text(samples[i]);
    if (BlockSortEncode(block, RotationSort::kBudgeted)) seed("block_sort_decode", std::to_string(i), block);
  }
  // A block long enough for the decoder to walk it in pieces.
  std::string lines;
  for (int i = 0; lines.size() < 6000; ++i) lines += "line " + std::to_string(i) + ": the quick brown fox\n";
  ByteBuffer longBlock = text(lines.c_str());
  ASSERT_TRUE(BlockSortEncode(longBlock, RotationSort::kComplete));
  seed("block_sort_decode", "pieces", longBlock);
  ByteBuffer sealInput(fuzz::kFixedSessionKey, 32);
  sealInput.appendU8(5);
  sealInput.append(text("a message of more than one block"));
  seed("seal_roundtrip", "two_blocks", sealInput);
}

}  // namespace
}  // namespace qs
