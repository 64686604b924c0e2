#include "keys/key_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/record.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "operations/key_pair_info.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/processes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::KeyPairOf;
using test::TempFolder;
using test::ToHex;

ByteBuffer WithVersion(ByteBuffer record, std::uint8_t version) {
  record.at(4 + record.at(0)) = version;  // the u16 after the tag field
  return record;
}

TEST(KeyStore, StoresThreeFieldsWithTheNameAsWindows1252AndAZero) {
  TempFolder dir;
  const test::TestKeyPair& carol = KeyPairOf("carol");
  ASSERT_EQ(WriteStoredKeyPair(
                dir.path(), StoredKeyPair{carol.privateRecord, carol.publicRecord, KeyNameText("Kärnan 1")},
                platform::Overwrite::kReplace, KeyLocking{}),
            KeyOutcome::kOk);
  ByteBuffer expected;
  expected.appendU32(4 + carol.privateRecord.length() + 4 + carol.publicRecord.length() + 4 + 9);
  expected.appendField(carol.privateRecord);
  expected.appendField(carol.publicRecord);
  expected.appendField(test::FromHex("4BE4726E616E203100"));  // "Kärnan 1", then 0
  EXPECT_EQ(test::ToHex(test::FromString(test::ReadRaw(dir.file(kKeyPairFileName)))), ToHex(expected));

  const std::optional<StoredKeyPair> read = ReadStoredKeyPair(dir.path());
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->privateRecord.equals(carol.privateRecord));
  EXPECT_TRUE(read->publicRecord.equals(carol.publicRecord));
  EXPECT_EQ(DisplayText(read->keyName), "Kärnan 1");
  EXPECT_TRUE(HoldsKeyPair(*read));
}

TEST(KeyStore, AnyReadableFileCountsAsStoredAndIsNotExamined) {
  TempFolder dir;
  EXPECT_FALSE(KeyPairStored(dir.path()));
  EXPECT_FALSE(ReadStoredKeyPair(dir.path()));
  test::WriteRaw(dir.file(kKeyPairFileName), std::string(4, '\0'));  // empty content
  EXPECT_TRUE(KeyPairStored(dir.path()));
  const std::optional<StoredKeyPair> empty = ReadStoredKeyPair(dir.path());
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->publicRecord.empty());
  EXPECT_FALSE(HoldsKeyPair(*empty));
  test::WriteRaw(dir.file(kKeyPairFileName), std::string("\x09\0\0\0", 4));  // shorter than it says
  EXPECT_FALSE(KeyPairStored(dir.path()));
}

TEST(KeyStore, HoldsKeyPairNeedsMatchingModuliForBothKeys) {
  const test::TestKeyPair& alice = KeyPairOf("alice");
  const test::TestKeyPair& bob = KeyPairOf("bob");
  EXPECT_TRUE(HoldsKeyPair(StoredKeyPair{alice.privateRecord, alice.publicRecord, {}}));
  EXPECT_FALSE(HoldsKeyPair(StoredKeyPair{alice.privateRecord, bob.publicRecord, {}}));
  EXPECT_FALSE(HoldsKeyPair(StoredKeyPair{alice.publicRecord, alice.privateRecord, {}}));
  EXPECT_FALSE(HoldsKeyPair(StoredKeyPair{WithVersion(alice.privateRecord, 1), alice.publicRecord, {}}));

  // Only the signing key differs: the encryption key alone must not pass.
  KeyRecord mixed = *ReadKeyRecord(alice.publicRecord, tag::kPublicKey);
  const KeyRecord carol = *ReadKeyRecord(KeyPairOf("carol").publicRecord, tag::kPublicKey);
  mixed.signingKeyType = carol.signingKeyType;
  mixed.signingKey = carol.signingKey;
  KeyRecord mixedPrivate = *ReadKeyRecord(alice.privateRecord, tag::kPrivateKey);
  mixedPrivate.signingKeyType = carol.signingKeyType;
  mixedPrivate.signingKey = ReadKeyRecord(KeyPairOf("bob").privateRecord, tag::kPrivateKey)->signingKey;
  EXPECT_FALSE(HoldsKeyPair(StoredKeyPair{
      BuildKeyRecord(tag::kPrivateKey, mixedPrivate), BuildKeyRecord(tag::kPublicKey, mixed), {}}));
}

TEST(Fingerprint, CoversTheWholePublicRecordAndOnlyTheTagIsChecked) {
  const ByteBuffer& record = KeyPairOf("alice").publicRecord;
  const std::optional<ByteBuffer> fingerprint = ComputeFingerprint(record);
  ASSERT_TRUE(fingerprint);
  EXPECT_EQ(fingerprint->length(), 32u);

  // A record of another version still has a fingerprint, but no key types.
  const ByteBuffer otherVersion = WithVersion(record, 1);
  ASSERT_TRUE(ComputeFingerprint(otherVersion));
  EXPECT_FALSE(ComputeFingerprint(otherVersion)->equals(*fingerprint));
  EXPECT_FALSE(ReadKeyTypes(otherVersion));

  // Other key types over the same key material give another fingerprint.
  KeyRecord content = *ReadKeyRecord(record, tag::kPublicKey);
  content.encryptionKeyType = 1;
  EXPECT_FALSE(ComputeFingerprint(BuildKeyRecord(tag::kPublicKey, content))->equals(*fingerprint));

  EXPECT_FALSE(ComputeFingerprint(KeyPairOf("alice").privateRecord));
  EXPECT_FALSE(ComputeFingerprint(ByteBuffer()));
  const CertKeyPairRecords authority = test::CertKeyFrom("bob", "Test Org", "0123456789ABCDEF");
  EXPECT_TRUE(ComputeFingerprint(authority.publicRecord));
  EXPECT_FALSE(ComputeFingerprint(authority.privateRecord));
}

TEST(KeyTypes, ReadFromEitherKeyRecordAndNamed) {
  const std::optional<KeyTypes> types = ReadKeyTypes(KeyPairOf("alice").privateRecord);
  ASSERT_TRUE(types);
  EXPECT_EQ(types->encryption, 0);
  EXPECT_EQ(types->signing, 2);
  EXPECT_TRUE(ReadKeyTypes(KeyPairOf("bob").publicRecord));
  EXPECT_FALSE(ReadKeyTypes(test::CertKeyFrom("bob", "Org", "00").publicRecord));

  EXPECT_EQ(KeyTypeName(0), "RSA 2048bit");
  EXPECT_EQ(KeyTypeName(1), "RSA 3072bit");
  EXPECT_EQ(KeyTypeName(2), "RSA 4096bit");
  EXPECT_EQ(KeyTypeName(3), "Okänd typ");
  EXPECT_FALSE(KnownKeyTypeName(0xFFFF));
}

TEST(KeyPairInfo, ShowsWhatTheStoredPairAllows) {
  TempFolder dir;
  KeyPairInfo info = DescribeStoredKeyPair(dir.path());
  EXPECT_EQ(info.fingerprint, "Nyckel saknas");
  EXPECT_FALSE(info.name || info.encryptionAlgorithm || info.signingAlgorithm);

  test::StoreTestKeyPair(dir.path(), "alice", "Alice nyckel");
  info = DescribeStoredKeyPair(dir.path());
  EXPECT_EQ(info.name, "Alice nyckel");
  EXPECT_EQ(info.fingerprint, HexString(*ComputeFingerprint(KeyPairOf("alice").publicRecord)));
  EXPECT_EQ(info.fingerprint->size(), 64u);
  EXPECT_EQ(info.encryptionAlgorithm, "RSA 2048bit");
  EXPECT_EQ(info.signingAlgorithm, "RSA 4096bit");

  // A wrong tag leaves the fingerprint and the algorithms as they were.
  const test::TestKeyPair& alice = KeyPairOf("alice");
  ASSERT_EQ(KeyOutcome::kOk,
            WriteStoredKeyPair(dir.path(),
                               StoredKeyPair{alice.privateRecord, alice.privateRecord, KeyNameText("x")}));
  info = DescribeStoredKeyPair(dir.path());
  EXPECT_EQ(info.name, "x");
  EXPECT_FALSE(info.fingerprint || info.encryptionAlgorithm);

  // An unknown key type leaves that algorithm alone.
  KeyRecord content = *ReadKeyRecord(alice.publicRecord, tag::kPublicKey);
  content.signingKeyType = 9;
  ASSERT_EQ(KeyOutcome::kOk,
            WriteStoredKeyPair(dir.path(),
                               StoredKeyPair{alice.privateRecord, BuildKeyRecord(tag::kPublicKey, content),
                                             KeyNameText("y")}));
  info = DescribeStoredKeyPair(dir.path());
  EXPECT_TRUE(info.fingerprint && info.encryptionAlgorithm);
  EXPECT_FALSE(info.signingAlgorithm);
}

// Two key generations that may replace no key pair, at once: the one that writes second is
// refused under the lock and says so, and the file holds the first, whole.
TEST(KeyStore, OfTwoNewKeyPairsWithoutLeaveToReplaceOnlyTheFirstIsStored) {
  TempFolder dir;
  const std::vector<std::string> names{"alice", "bob"};
  const std::vector<bool> stored = test::RunTogether(2, [&](int i) {
    const test::TestKeyPair& pair = KeyPairOf(names[i]);
    return WriteStoredKeyPair(dir.path(),
                              StoredKeyPair{pair.privateRecord, pair.publicRecord, KeyNameText(names[i])},
                              platform::Overwrite::kNever) == KeyOutcome::kOk;
  });
  ASSERT_EQ(std::count(stored.begin(), stored.end(), true), 1);
  const std::string winner = stored[0] ? "alice" : "bob";
  const std::optional<StoredKeyPair> now = ReadStoredKeyPair(dir.path());
  ASSERT_TRUE(now);
  EXPECT_EQ(DisplayText(now->keyName), winner);
  EXPECT_TRUE(now->publicRecord.equals(KeyPairOf(winner).publicRecord));
  const test::TestKeyPair& carol = KeyPairOf("carol");
  EXPECT_EQ(
      WriteStoredKeyPair(dir.path(), StoredKeyPair{carol.privateRecord, carol.publicRecord, KeyNameText("c")},
                         platform::Overwrite::kNever),
      KeyOutcome::kKeyPairExists);
  EXPECT_EQ(
      WriteStoredKeyPair(dir.path(), StoredKeyPair{carol.privateRecord, carol.publicRecord, KeyNameText("c")},
                         platform::Overwrite::kReplace),
      KeyOutcome::kOk);
}

TEST(RecordText, KeepsOneUnitPerWindows1252Byte) {
  EXPECT_EQ(ToHex(RecordText("Bär €").toRecordBytes()),
            "0042"
            "00e4"
            "0072"
            "0020"
            "0080");
  EXPECT_EQ(ToHex(RecordTextFromUtf16(u"Bär €").toRecordBytes()),
            "0042"
            "00e4"
            "0072"
            "0020"
            "0080");
  EXPECT_EQ(DisplayText(WideText(u"Bär €")), "Bär ÿ");  // a unit above 255 shows as byte 0xFF
  EXPECT_EQ(DisplayText(WideText::fromRecordBytes(test::FromHex("00E40080"))), "ä€");
}

}  // namespace
}  // namespace qs
