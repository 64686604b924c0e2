#include "keys/cert_keys.h"

#include <gtest/gtest.h>

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_key.h"
#include "formats/signature_file.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/public_key_export.h"
#include "keys/record_text.h"
#include "keys/safe_file_name.h"
#include "platform/file.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::FromHex;
using test::TempFolder;
using test::ToHex;

TEST(CertKeyRecords, LayoutAndHeader) {
  CertKeyHeader header;
  header.keyType = 1;
  header.keyId = FromHex("0123456789ABCDEF");
  header.organisation = RecordText("Åb");
  const ByteBuffer record = BuildCertKeyRecord(tag::kPublicCertKey, header, FromHex("aabbcc"));
  EXPECT_EQ(ToHex(record), "0d000000" + ToHex(ByteBuffer::fromText("PublicCertKey")) +
                               "0000"
                               "0100"
                               "080000000123456789abcdef"
                               "0400000000c50062"
                               "03000000aabbcc");

  const std::optional<CertKeyHeader> read = ReadCertKeyHeader(record);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->keyType, 1);
  EXPECT_EQ(ToHex(read->keyId), "0123456789abcdef");
  EXPECT_EQ(DisplayText(read->organisation), "Åb");
  EXPECT_TRUE(ReadCertKeyHeader(BuildCertKeyRecord(tag::kPrivateCertKey, header, FromHex("aa"))));

  // A user's public key is not a certification key, nor is a record of another version.
  EXPECT_FALSE(ReadCertKeyHeader(test::KeyPairOf("alice").publicRecord));
  ByteBuffer otherVersion = record;
  otherVersion.at(4 + 13) = 1;
  EXPECT_FALSE(ReadCertKeyHeader(otherVersion));
}

TEST(CertKeyRecords, SuggestedNames) {
  // Names come from other people's records: each must stay one harmless name in its folder.
  for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
           {"a b  c", "a_b__c"},
           {"../../etc/passwd", "___.._etc_passwd"},
           {"..\\..\\Windows", "___.._Windows"},
           {"C:evil", "C_evil"},
           {"doc.txt:stream", "doc.txt_stream"},
           {"CON", "_CON"},
           {"nul.tar", "_nul.tar"},
           {"Com1", "_Com1"},
           {"LPT9.x", "_LPT9.x"},
           {"COM10", "COM10"},
           {"COM\xC2\xB9", "_COM\xC2\xB9"},  // COM¹ to COM³ and LPT¹ to LPT³ are ports too
           {"lpt\xC2\xB3.txt", "_lpt\xC2\xB3.txt"},
           {"COM\xC2\xB4", "COM\xC2\xB4"},  // ´, no digit
           {"conin$", "_conin$"},
           {"CONOUT$.log", "_CONOUT$.log"},
           {"COM0", "_COM0"},
           {"CONSOLE", "CONSOLE"},
           {"tab\there\nnew\x7f", "tab_here_new_"},
           {".hidden", "_hidden"},
           {"", "_"},
           {"a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
           {"Åsa Öberg", "Åsa_Öberg"},
       }) {
    EXPECT_EQ(SafeFileName(text), name) << text;
  }
  const CertKeyPairRecords records = test::CertKeyFrom("bob", "Test Org", "0123456789ABCDEF");
  const KeyResult<std::string> name = SuggestedCertKeyName(records.publicRecord);
  ASSERT_TRUE(name.ok());
  EXPECT_EQ(name.value, "Test_Org_0123456789ABCDEF");
  EXPECT_EQ(SuggestedCertKeyName(ByteBuffer()).outcome, KeyOutcome::kNewCertKeysUnreadable);
}

TEST(CertificationKeyPair, BothRecordsNameOneNewSigningKey) {
  const CertKeyPairRecords& records = test::GeneratedCertKeyPair();
  const std::optional<CertKeyHeader> publicHeader = ReadCertKeyHeader(records.publicRecord);
  const std::optional<CertKeyHeader> privateHeader = ReadCertKeyHeader(records.privateRecord);
  ASSERT_TRUE(publicHeader && privateHeader);
  EXPECT_EQ(publicHeader->keyType, 0);
  EXPECT_EQ(publicHeader->keyId.length(), kKeyIdBytes);
  EXPECT_TRUE(publicHeader->keyId.equals(privateHeader->keyId));
  EXPECT_EQ(DisplayText(privateHeader->organisation), "Test Org");

  // The last field of each record is the blob; the private one ends with the modulus.
  ByteStream publicIn(records.publicRecord);
  ByteStream privateIn(records.privateRecord);
  for (ByteStream* in : {&publicIn, &privateIn}) {
    in->skipField();
    in->readU16();
    in->readU16();
    in->skipField();
    in->skipField();
  }
  const ByteBuffer publicBlob = publicIn.readField();
  const ByteBuffer privateBlob = privateIn.readField();
  ASSERT_EQ(publicBlob.length(), 256u);
  ASSERT_EQ(privateBlob.length(), 896u);
  EXPECT_TRUE(privateBlob.slice(256, 640).equals(publicBlob));
  EXPECT_TRUE(LoadRsaKey(2048, privateBlob, true, KeyUsage::kSigning, nullptr).valid);
}

TEST(CertificationKeyPair, RefusedWithoutCreditOrForAnUnknownType) {
  RandomGenerator uncredited;
  EXPECT_FALSE(CreateCertificationKeyPair(uncredited, RecordText("Org"), 0, nullptr));
  const auto generator = test::SeededGenerator();
  EXPECT_FALSE(CreateCertificationKeyPair(*generator, RecordText("Org"), 3, nullptr));
  ProgressHook cancelled;
  cancelled.cancel = 1;
  EXPECT_FALSE(CreateCertificationKeyPair(*generator, RecordText("Org"), 0, &cancelled));
}

TEST(CertificationKeyPair, SavesPrivateThenPublicAndNeverOneOverTheOther) {
  TempFolder dir;
  const CertKeyPairRecords records = test::CertKeyFrom("carol", "Org", "0102030405060708");
  ASSERT_EQ(SaveCertificationKeyPair(records, dir.file("k.private_cert_key"), dir.file("k.public_cert_key")),
            KeyOutcome::kOk);
  EXPECT_EQ(
      test::ReadRaw(dir.file("k.public_cert_key")).substr(4),
      std::string(reinterpret_cast<const char*>(records.publicRecord.data()), records.publicRecord.length()));

  TempFolder other;
  EXPECT_EQ(SaveCertificationKeyPair(records, other.file("k"), other.path() + "/./k", KeyLocking{}),
            KeyOutcome::kPublicCertKeyNotWritten);
  EXPECT_EQ(test::ReadRaw(other.file("k")).substr(4, 18), std::string("\x0e\0\0\0PrivateCertKey", 18));
  EXPECT_EQ(SaveCertificationKeyPair(records, other.file("missing/k"), other.file("p")),
            KeyOutcome::kPrivateCertKeyNotWritten);
  EXPECT_EQ(test::ListFolder(other.path()), "k\n");
}

TEST(PublicKeyExport, WritesTheStoredPublicRecordUnderTheKeyNameWithItsProof) {
  TempFolder dir;
  const auto generator = test::SeededGenerator();
  const auto exportTo = [&](const std::string& path) {
    return ExportPublicKey(dir.path(), path, *generator, 1700000000);
  };
  EXPECT_EQ(SuggestedPublicKeyName(dir.path()).outcome, KeyOutcome::kNoPublicKey);
  EXPECT_EQ(exportTo(dir.file("x.public_key")), KeyOutcome::kNoPublicKey);

  test::StoreTestKeyPair(dir.path(), "alice", "Alice A nyckel");
  EXPECT_EQ(SuggestedPublicKeyName(dir.path()).value, "Alice_A_nyckel");
  ASSERT_EQ(exportTo(dir.file("a.public_key")), KeyOutcome::kOk);
  ByteBuffer expected;
  expected.appendField(test::KeyPairOf("alice").publicRecord);
  EXPECT_EQ(ToHex(test::FromString(test::ReadRaw(dir.file("a.public_key")))), ToHex(expected));

  // The proof is an ordinary signature file over the exported file, with its message.
  SignatureRequest request;
  ASSERT_TRUE(VerifyFile(request, dir.file("a.public_key"), test::KeyPairOf("alice").publicRecord,
                         dir.file("a.public_key.signature")));
  EXPECT_EQ(DisplayText(request.message), "Innehavsbevis för certifiering");
  EXPECT_EQ(request.timestamp, 1700000000u);
  EXPECT_TRUE(VerifyPossessionProof(test::KeyPairOf("alice").publicRecord,
                                    *ReadKeyFile(dir.file("a.public_key.signature"))));

  // Pointed at the key pair itself the export must not replace it, and writes neither file;
  // nor does it when the proof cannot be put in place (a folder has its name).
  const std::string stored = test::ReadRaw(dir.file(kKeyPairFileName));
  ASSERT_TRUE(platform::CreateFolder(dir.file("c.public_key.signature")));
  const std::string listing = test::ListFolder(dir.path());
  EXPECT_EQ(exportTo(dir.file(kKeyPairFileName)), KeyOutcome::kPublicKeyNotSaved);
  EXPECT_EQ(test::ReadRaw(dir.file(kKeyPairFileName)), stored);
  EXPECT_EQ(exportTo(dir.file("c.public_key")), KeyOutcome::kPublicKeyNotSaved);
  EXPECT_EQ(test::ListFolder(dir.path()), listing);
  EXPECT_EQ(exportTo(dir.file("missing/a.public_key")), KeyOutcome::kPublicKeyNotSaved);

  // Without the generator's credit there is no proof, and so no file at all.
  RandomGenerator uncredited;
  EXPECT_EQ(ExportPublicKey(dir.path(), dir.file("b.public_key"), uncredited, 0),
            KeyOutcome::kPublicKeyNotSigned);
  // Nor from a stored pair whose private signing key is not the public record's.
  const test::TestKeyPair& alice = test::KeyPairOf("alice");
  ASSERT_EQ(WriteStoredKeyPair(dir.path(), StoredKeyPair{test::KeyPairOf("carol").privateRecord,
                                                         alice.publicRecord, KeyNameText("x")}),
            KeyOutcome::kOk);
  EXPECT_EQ(exportTo(dir.file("b.public_key")), KeyOutcome::kPublicKeyNotSigned);
  EXPECT_EQ(test::ListFolder(dir.path()), listing);
}

}  // namespace
}  // namespace qs
