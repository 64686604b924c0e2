#include "tests/app/app_fixture.h"

#include "app/resource_ids.h"
#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/key_records.h"
#include "keys/cert_keys.h"
#include "keys/certificate.h"
#include "keys/certification.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/test_keys.h"

namespace qs::test {
namespace {

constexpr std::uint32_t kCertifiedAt = 1700000000;

KeyRecord CarolSigningKey(bool priv) {
  const TestKeyPair& carol = KeyPairOf("carol");
  return *ReadKeyRecord(priv ? carol.privateRecord : carol.publicRecord,
                        priv ? tag::kPrivateKey : tag::kPublicKey);
}

ByteBuffer CertKey(const std::string& authority, bool priv,
                   const std::optional<WideText>& organisation = {}) {
  const KeyRecord carol = CarolSigningKey(priv);
  CertKeyHeader header{carol.signingKeyType, AuthorityKeyId(authority),
                       organisation.value_or(RecordText(authority))};
  return BuildCertKeyRecord(priv ? tag::kPrivateCertKey : tag::kPublicCertKey, header, carol.signingKey);
}

void WriteContainer(const ByteBuffer& content, const std::string& path) {
  ByteStream stream(content);
  ASSERT_TRUE(WriteWholeFile(stream, path)) << path;
}

}  // namespace

ByteBuffer AuthorityKeyId(const std::string& authority) {
  ByteBuffer id = ByteBuffer::zeros(kKeyIdBytes);
  for (std::size_t i = 0; i < authority.size(); ++i) {
    id.at(static_cast<std::uint32_t>(i % kKeyIdBytes)) ^= static_cast<std::uint8_t>(authority[i] + i);
  }
  return id;
}

bool HoldsRawControls(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && next >= 0x80 && next < 0xA0)) return true;
  }
  for (const char* hidden : {"\u200B", "\u200D", "\u200E", "\u200F", "\u202A", "\u202B", "\u202C", "\u202D",
                             "\u202E", "\u2066", "\u2067", "\u2068", "\u2069", "\uFEFF"}) {
    if (text.find(hidden) != std::string::npos) return true;
  }
  return false;
}

std::vector<DataField> OwnerFields(const std::string& owner) {
  return {{RecordText("Namn"), RecordText(owner + " Åkesson")},
          {RecordText("E-post"), RecordText(owner + "@example.se")}};
}

ByteBuffer PublicCertKeyOf(const std::string& authority) { return CertKey(authority, false); }
ByteBuffer PrivateCertKeyOf(const std::string& authority) { return CertKey(authority, true); }

AppTest::AppTest(bool credited)
    : generator_(credited ? SeededGenerator() : std::make_unique<RandomGenerator>()),
      state_(*generator_, dir_.path()),
      mainController_(ui_, state_) {
  mainView_ = std::make_unique<FakeView>(ui_, IDD_MAIN, mainController_);
  mainController_.onInit(*mainView_);
}

AppTest::~AppTest() { state_.mainWindow = nullptr; }

std::string AppTest::writeFile(const std::string& name, const std::string& content) {
  WriteRaw(path(name), content);
  return path(name);
}

void AppTest::storeKeyPair(const std::string& owner, const std::string& keyName) {
  const TestKeyPair& pair = KeyPairOf(owner);
  ASSERT_EQ(KeyOutcome::kOk,
            WriteStoredKeyPair(dir_.path(),
                               StoredKeyPair{pair.privateRecord, pair.publicRecord, KeyNameText(keyName)}));
}

void AppTest::storeKeyPair(const std::string& owner, const std::string& keyName,
                           const std::string& passphrase) {
  const TestKeyPair& pair = KeyPairOf(owner);
  ASSERT_EQ(KeyOutcome::kOk,
            WriteStoredKeyPair(dir_.path(),
                               StoredKeyPair{pair.privateRecord, pair.publicRecord, KeyNameText(keyName)},
                               platform::Overwrite::kReplace, passphraseLock(passphrase)));
}

KeyLocking AppTest::passphraseLock(const std::string& passphrase) {
  return {KeyLock::kPassphrase, SecretText(passphrase), generator_.get(), ScryptCost{4, 1, 1}};
}

std::string AppTest::writeCertificate(const std::string& file, const std::string& owner,
                                      const std::vector<std::string>& authorities) {
  std::vector<ByteBuffer> certifications;
  for (const std::string& authority : authorities) {
    certifications.push_back(certificationBy(authority, owner, OwnerFields(owner), kCertifiedAt));
  }
  return writeCertificateOf(file, owner, certifications);
}

ByteBuffer AppTest::certificationBy(const std::string& authority, const std::string& owner,
                                    const std::vector<DataField>& fields, std::uint32_t timestamp,
                                    const std::optional<WideText>& organisation) {
  std::optional<ByteBuffer> certification = Certify(
      *generator_, fields, CertKey(authority, true, organisation), KeyPairOf(owner).publicRecord, timestamp);
  EXPECT_TRUE(certification);
  return certification.value_or(ByteBuffer());
}

std::string AppTest::writeCertificateOf(const std::string& file, const std::string& owner,
                                        const std::vector<ByteBuffer>& certifications) {
  const std::optional<ByteBuffer> certificate =
      CreateCertificate(KeyPairOf(owner).publicRecord, certifications);
  EXPECT_TRUE(certificate);
  WriteContainer(certificate.value_or(ByteBuffer()), path(file));
  return path(file);
}

std::string AppTest::writeCertification(const std::string& file, const std::string& owner,
                                        const std::string& authority) {
  const std::vector<DataField> fields{{RecordText("Namn"), RecordText(owner)}};
  const std::optional<ByteBuffer> certification =
      Certify(*generator_, fields, PrivateCertKeyOf(authority), KeyPairOf(owner).publicRecord, kCertifiedAt);
  EXPECT_TRUE(certification);
  return writeKeyFile(file, certification.value_or(ByteBuffer()));
}

std::string AppTest::writeKeyFile(const std::string& name, const ByteBuffer& content) {
  WriteContainer(content, path(name));
  return path(name);
}

void AppTest::trustAuthority(const std::string& authority) {
  ASSERT_EQ(AddTrustedKey(dir_.path(), PublicCertKeyOf(authority)), KeyOutcome::kOk);
}

void AppTest::approveCertificate(const std::string& certificate, bool approve) {
  ui_.chooseFile(certificate);
  ui_.onDialog(IDD_APPROVAL,
               [approve](FakeView& v) { v.click(approve ? IDC_APPROVAL_YES : IDC_APPROVAL_NO); });
}

void AppTest::answerPassphrase(const std::optional<std::string>& text) {
  ui_.onDialog(IDD_PASSPHRASE, [this, text](FakeView& v) {
    passphraseLines_.push_back(v.text(IDC_PASSPHRASE_WRONG));
    if (text) {
      v.type(IDC_PASSPHRASE_TEXT, *text);
      v.click(IDC_PASSPHRASE_OK);
    } else {
      v.type(IDC_PASSPHRASE_TEXT, "half typed");
      v.click(IDC_PASSPHRASE_CANCEL);
    }
    EXPECT_EQ(v.text(IDC_PASSPHRASE_TEXT), "") << "the field is emptied before the dialog ends";
  });
}

}  // namespace qs::test
