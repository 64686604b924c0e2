// The whole way of a certificate: an authority's key pair, its public key trusted by a
// peer, a user's public key exported and certified with three data fields, the user's
// certificate assembled, and the peer checking it before using the key inside.
#include <gtest/gtest.h>

#include <functional>

#include "crypto/key_wrap.h"
#include "formats/signature_file.h"
#include "keys/approval.h"
#include "keys/backup.h"
#include "keys/cert_keys.h"
#include "keys/certify.h"
#include "keys/key_store.h"
#include "keys/personal_certificate.h"
#include "keys/possession_proof.h"
#include "keys/public_key_export.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"
#include "keys/trusted_keys.h"
#include "operations/approval_rows.h"
#include "operations/cause_text.h"
#include "operations/key_messages.h"
#include "operations/key_pair_info.h"
#include "operations/messages.h"
#include "platform/working_folder.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::TempFolder;

TEST(KeyStory, CertifiedPublicKeyReachesAPeerThatTrustsTheAuthority) {
  TempFolder user, authority, peer;
  const auto generator = test::SeededGenerator();
  test::StoreTestKeyPair(user.path(), "alice", "Alice Andersson");
  test::StoreTestKeyPair(peer.path(), "bob", "Bob");

  // The authority saves its new key pair under the suggested name.
  const CertKeyPairRecords& caKeys = test::GeneratedCertKeyPair();
  const KeyResult<std::string> caName = SuggestedCertKeyName(caKeys.publicRecord);
  ASSERT_TRUE(caName.ok());
  const std::string keyIdHex = HexString(ReadCertKeyHeader(caKeys.publicRecord)->keyId);
  EXPECT_EQ(caName.value, "Test_Org_" + keyIdHex);
  const std::string caPrivate = authority.file(caName.value + ".private_cert_key");
  const std::string caPublic = authority.file(caName.value + ".public_cert_key");
  ASSERT_EQ(SaveCertificationKeyPair(caKeys, caPrivate, caPublic), KeyOutcome::kOk);

  // The peer installs the authority's public key as trusted.
  const KeyResult<TrustedKeyCandidate> candidate = ReadTrustedKeyCandidate(caPublic);
  ASSERT_TRUE(candidate.ok());
  ASSERT_EQ(AddTrustedKey(peer.path(), candidate.value.record), KeyOutcome::kOk);
  EXPECT_EQ(ListTrustedKeys(peer.path()).rows.at(0).organisation, "Test Org");

  // The user exports the public key and the authority certifies it.
  const KeyResult<std::string> exportName = SuggestedPublicKeyName(user.path());
  ASSERT_EQ(exportName.value, "Alice_Andersson");
  const std::string exported = authority.file(exportName.value + ".public_key");
  ASSERT_EQ(ExportPublicKey(user.path(), exported, *generator, 1717000000), KeyOutcome::kOk);
  const std::vector<DataField> fields =
      test::Fields({{"Namn", "Alice Andersson"}, {"Ort", "Luleå"}, {"E-post", "alice@example.se"}});
  const KeyResult<CertificationInputs> inputs =
      ReadCertificationInputs(exported, caPrivate, PossessionProofPath(exported), fields);
  ASSERT_TRUE(inputs.ok());
  EXPECT_EQ(HexString(inputs.value.fingerprint), DescribeStoredKeyPair(user.path()).fingerprint);
  const KeyResult<NewCertification> certification =
      MakeCertification(*generator, inputs.value, fields, 1718000000, exported);
  ASSERT_TRUE(certification.ok());
  EXPECT_EQ(certification.value.suggestedName, "Alice_Andersson_Test_Org_" + keyIdHex);
  const std::string certificationPath = user.file(certification.value.suggestedName + ".certification");
  ASSERT_EQ(WriteCertification(certificationPath, certification.value.record, exported, caPrivate),
            KeyOutcome::kOk);

  // The user assembles the certificate.
  KeyCause unopened;
  const std::optional<StoredKeyPair> own = OpenStoredKeyPair(user.path(), nullptr, unopened);
  ASSERT_TRUE(own);
  PendingCertifications pending;
  ASSERT_EQ(pending.add(certificationPath), KeyOutcome::kOk);
  const KeyResult<PersonalCertificate> certificate = MakePersonalCertificate(*own, pending);
  ASSERT_TRUE(certificate.ok());
  const std::string certificatePath = peer.file(certificate.value.suggestedName + ".certificate");
  ASSERT_EQ(WritePersonalCertificate(user.path(), certificatePath, certificate.value.record, pending),
            KeyOutcome::kOk);

  // The peer checks it and sees who the authority vouches for.
  const KeyResult<PeerCertificate> checked = CheckPeerCertificate(certificatePath, peer.path());
  ASSERT_TRUE(checked.ok());
  EXPECT_EQ(HexString(checked.value.fingerprint), DescribeStoredKeyPair(user.path()).fingerprint);
  ASSERT_EQ(checked.value.results.size(), 1u);
  const ApprovalRow row = DescribeCertification(checked.value.results[0]);
  EXPECT_EQ(row.organisation, "Test Org");
  EXPECT_EQ(row.keyId, keyIdHex);
  EXPECT_EQ(row.status, "Hittade nyckel");
  const std::optional<VerifiedIdentity> identity = VerifiedIdentityOf(checked.value.results[0]);
  ASSERT_TRUE(identity);
  EXPECT_EQ(checked.value.results[0].timestamp, 1718000000u);
  ASSERT_EQ(identity->fields.size(), 3u);
  EXPECT_EQ(identity->fields[1], (std::pair<std::string, std::string>{"Ort", "Luleå"}));
  EXPECT_EQ(identity->fields[2].second, "alice@example.se");

  // After approval the peer's command gets its own keys, and the key from the certificate
  // reaches the user's private key.
  const KeyResult<OwnKeys> peerKeys = ReadOwnKeys(peer.path());
  ASSERT_TRUE(peerKeys.ok());
  EXPECT_TRUE(peerKeys.value.privateRecord.equals(test::KeyPairOf("bob").privateRecord));
  const std::optional<WrappedKey> wrapped = WrapKey(*generator, checked.value.publicRecord);
  ASSERT_TRUE(wrapped);
  EXPECT_TRUE(UnwrapKey(own->privateRecord, wrapped->encryptedKeyRecord).equals(wrapped->key));
}

// Every file of the story, with one byte appended after its content, gets the failure its
// reader gives an unreadable file, and reads again once the byte is gone; so does a
// certificate with a byte after its last certification.
TEST(KeyStory, EveryFileRefusesAByteAfterItsContent) {
  TempFolder user, authority, peer;
  const auto generator = test::SeededGenerator();
  test::StoreTestKeyPair(user.path(), "alice", "Alice");
  const CertKeyPairRecords caKeys = test::CertKeyFrom("bob", "Test Org", "0123456789ABCDEF");
  const std::string caPrivate = authority.file("ca.private_cert_key");
  const std::string caPublic = authority.file("ca.public_cert_key");
  ASSERT_EQ(SaveCertificationKeyPair(caKeys, caPrivate, caPublic), KeyOutcome::kOk);
  ASSERT_EQ(AddTrustedKey(peer.path(), caKeys.publicRecord), KeyOutcome::kOk);
  const std::string exported = authority.file("alice.public_key");
  const std::string proof = PossessionProofPath(exported);
  ASSERT_EQ(ExportPublicKey(user.path(), exported, *generator, 1717000000), KeyOutcome::kOk);
  const std::vector<DataField> fields = test::Fields({{"Namn", "Alice"}});
  const KeyResult<CertificationInputs> inputs = ReadCertificationInputs(exported, caPrivate, proof, fields);
  ASSERT_TRUE(inputs.ok());
  const std::string certification = user.file("alice.certification");
  ASSERT_EQ(WriteCertification(
                certification,
                MakeCertification(*generator, inputs.value, fields, 1718000000, exported).value.record,
                exported, caPrivate),
            KeyOutcome::kOk);
  PendingCertifications pending;
  ASSERT_EQ(pending.add(certification), KeyOutcome::kOk);
  const ByteBuffer certificateRecord =
      MakePersonalCertificate(*ReadStoredKeyPair(user.path()), pending).value.record;
  const std::string certificate = peer.file("alice.certificate");
  ASSERT_EQ(WritePersonalCertificate(user.path(), certificate, certificateRecord, pending), KeyOutcome::kOk);
  const std::string backup = user.file("alice.key_backup");
  ASSERT_EQ(WriteBackup(user.path(), backup, PrepareBackup(user.path()).value.content), KeyOutcome::kOk);
  const std::string document = user.file("doc.txt");
  const std::string signature = user.file("doc.signature");
  test::WriteRaw(document, "text");
  SignatureRequest signing;
  signing.generator = generator.get();
  ASSERT_TRUE(SignFile(signing, test::KeyPairOf("alice").privateRecord, document, signature));

  // The message and the cause, as the command line joins them.
  const auto told = [](const KeyStatus& status) {
    const std::string cause = KeyCauseText(status.cause);
    return std::string(MessageText(status.outcome)) + (cause.empty() ? "" : " " + cause);
  };
  const auto appended = [&](KeyOutcome outcome, const std::string& path) {
    return told({outcome, {FileCause{path, Finding::kTrailingBytes}}});
  };
  const auto certifying = [&] {
    return told(ReadCertificationInputs(exported, caPrivate, proof, fields).status());
  };
  const auto checkingCertificate = [&] {
    return told(CheckPeerCertificate(certificate, peer.path()).status());
  };
  struct Case {
    std::string path;
    std::function<std::string()> read;
    std::string failure;
  };
  const Case cases[] = {
      {user.file(kKeyPairFileName), [&] { return told(PrepareBackup(user.path()).status()); },
       appended(KeyOutcome::kNothingToBackUp, platform::JoinPath(user.path(), kKeyPairFileName))},
      {backup, [&] { return told(RestoreKeyPair(user.path(), backup)); },
       appended(KeyOutcome::kBackupUnreadable, backup)},
      {exported, certifying, appended(KeyOutcome::kPublicKeyFileUnreadable, exported)},
      {proof, certifying, appended(KeyOutcome::kPossessionProofMissing, proof)},
      {caPrivate, certifying, appended(KeyOutcome::kPrivateCertKeyUnreadable, caPrivate)},
      {caPublic, [&] { return told(ReadTrustedKeyCandidate(caPublic).status()); },
       appended(KeyOutcome::kKeyFileUnreadable, caPublic)},
      {peer.file(kTrustedKeysFileName),
       [&] { return ListTrustedKeys(peer.path()).readable ? "" : told(KeyOutcome::kTrustedListUnreadable); },
       told(KeyOutcome::kTrustedListUnreadable)},
      {certification, [&] { return told(PendingCertifications().add(certification)); },
       appended(KeyOutcome::kCertificationFileUnreadable, certification)},
      {certificate, checkingCertificate, appended(KeyOutcome::kKeysUnavailable, certificate)},
      {signature,
       [&] {
         SignatureRequest request;
         return VerifyFile(request, document, test::KeyPairOf("alice").publicRecord, signature)
                    ? ""
                    : MessageText(FileOutcome::kSignatureMismatch);
       },
       MessageText(FileOutcome::kSignatureMismatch)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.read(), "") << c.path;
    const std::string content = test::ReadRaw(c.path);
    test::WriteRaw(c.path, content + '\0');
    EXPECT_EQ(c.read(), c.failure) << c.path;
    test::WriteRaw(c.path, content);
    EXPECT_EQ(c.read(), "") << c.path;
  }

  ByteBuffer longer = certificateRecord;
  longer.appendU8(0);
  test::WriteContent(certificate, longer);
  // Inside the container, after the last certification: the certificate itself is damaged.
  EXPECT_EQ(checkingCertificate(),
            told({KeyOutcome::kKeysUnavailable, {FileCause{certificate, Finding::kDamaged}}}));
}

}  // namespace
}  // namespace qs
