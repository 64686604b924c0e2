#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

#include "base/byte_stream.h"
#include "base/whole_file.h"
#include "cli/cli.h"
#include "cli/messages.h"
#include "crypto/random_generator.h"
#include "formats/encrypted_file.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "formats/signing_context.h"
#include "keys/certificate.h"
#include "keys/locked_key.h"
#include "keys/trusted_keys.h"
#include "operations/settings.h"
#include "platform/account_protection.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs::cli {
namespace {

// inspect's whole text for one file; its status must be success unless failure is expected.
std::string Inspect(const std::string& path, int status = kSuccess) {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Io io{in, out, err, false, false};
  EXPECT_EQ(Run({"inspect", path}, io), status);
  return out.str() + err.str();
}

// Encryption stamps the current time into the header: each time line is masked.
std::string WithoutTime(std::string text) {
  static constexpr std::string_view kLabel = "Tidstämpel: ";
  for (std::size_t at = text.find(kLabel); at != std::string::npos; at = text.find(kLabel, at + 1)) {
    const std::size_t from = at + kLabel.size();
    text.replace(from, text.find('\n', from) - from, "*");
  }
  return text;
}

class InspectReport : public ::testing::Test {
 protected:
  test::TempFolder dir;
  std::unique_ptr<RandomGenerator> generator = test::SeededGenerator();
  const test::TestKeyPair& alice = test::KeyPairOf("alice");
  const test::TestKeyPair& bob = test::KeyPairOf("bob");

  std::string Plain() {
    const std::string path = dir.file("plain.txt");
    test::WriteRaw(path, std::string(5000, 'q'));
    return path;
  }
};

}  // namespace

TEST_F(InspectReport, NativeEncryptedFiles) {
  for (const bool compress : {false, true}) {
    const std::string target = dir.file(compress ? "packed.qs" : "plain.qs");
    const ChunkCompression compression = compress ? ChunkCompression::kFormat : ChunkCompression::kNone;
    ASSERT_TRUE(EncryptFile(
        {.source = Plain(), .target = target, .generator = generator.get(), .compression = compression},
        alice.privateRecord, bob.publicRecord));
    EXPECT_EQ(WithoutTime(Inspect(target)),
              std::string("Krypterad fil (Quillseal-format), post \"EncryptedFile\"\n"
                          "Version: 0\n"
                          "Metod: 2\n"
                          "Komprimerad: ") +
                  (compress ? "ja" : "nej") +
                  "\nMottagare: 1\n"
                  "Mottagarens krypteringsnyckel: RSA 4096 bitar\n"
                  "Avsändare: anges inte i filen (decrypt kan pröva flera certifikat: --from A --from B)\n"
                  "Avsändarens signatur:\n"
                  "  Etikett: EncryptedFile\n"
                  "  Tidstämpel: *\n"
                  "  Meddelande: komprimerad=" +
                  (compress ? "1" : "0") +
                  " storlek=5000\n"
                  "  Signeringsnyckel: RSA 4096 bitar\n"
                  "Antal delar: " +
                  (compress ? "0 till 3" : "1") + "\n")
        << compress;
  }
}

// Several recipients: how many, not who.
TEST_F(InspectReport, NativeFileForSeveral) {
  const std::string target = dir.file("team.qs");
  ASSERT_TRUE(EncryptFile({.source = Plain(), .target = target, .generator = generator.get()},
                          alice.privateRecord, std::vector{bob.publicRecord, alice.publicRecord}));
  EXPECT_EQ(WithoutTime(Inspect(target)),
            "Krypterad fil (Quillseal-format), post \"EncryptedFile\"\n"
            "Version: 1\n"
            "Metod: 2\n"
            "Komprimerad: nej\n"
            "Storlek okrypterad: 5000 byte\n"
            "Mottagare: 2 (filen säger inte vilka)\n"
            "Avsändare: anges inte i filen (decrypt kan pröva flera certifikat: --from A --from B)\n"
            "Avsändarens signatur:\n"
            "  Etikett: EncryptedFileRecipients\n"
            "  Tidstämpel: *\n"
            "  Meddelande: \n"
            "  Signeringsnyckel: RSA 4096 bitar\n"
            "Antal delar: 1\n");
}

TEST_F(InspectReport, OkiFile) {
  const std::string target = dir.file("oki.bin");
  ASSERT_TRUE(EncryptOkiFile({.source = Plain(), .target = target, .generator = generator.get()},
                             alice.privateRecord, bob.publicRecord));
  EXPECT_EQ(Inspect(target),
            "Krypterad fil (OKI-format), post \"EncryptedData\"\n"
            "Mottagarens krypteringsnyckel: RSA 4096 bitar\n"
            "Avsändarens signeringsnyckel: RSA 4096 bitar\n"
            "Krypterad data: 5056 byte\n"
            "Avsändare: anges inte i filen (decrypt kan pröva flera certifikat: --from A --from B)\n" +
                std::string(cli::cli_text::kOkiAuthenticates) + "\n");
}

TEST_F(InspectReport, SignatureFile) {
  SignatureRequest request;
  request.generator = generator.get();
  request.message = TextString("Avtal nr 7");
  request.timestamp = 1700000000;
  const std::string target = dir.file("plain.sig");
  ASSERT_TRUE(SignFile(request, alice.privateRecord, Plain(), target));
  EXPECT_EQ(Inspect(target),
            "Signaturfil, post \"Signature\"\n"
            "Etikett: SignedFile\n"
            "Tidstämpel: 2023-11-14 22:13\n"
            "Meddelande: Avtal nr 7\n"
            "Signeringsnyckel: RSA 4096 bitar\n");
}

TEST_F(InspectReport, KeyFiles) {
  const std::string publicKey = dir.file("anna.public_key");
  test::WriteContent(publicKey, alice.publicRecord);
  EXPECT_EQ(Inspect(publicKey),
            "Publik nyckel för certifiering, post \"PublicKey\"\n"
            "Algoritm för kryptering: RSA 2048bit\n"
            "Algoritm för signering: RSA 4096bit\n"
            "Fingerprint: C193BAC418EB3CDD10C68AC4BB607AA8C9B27D0407DEEF16570EA6F029B30673\n");

  // Stored as new key pairs are: locked to the account where the system can.
  test::StoreTestKeyPair(dir.path(), "alice", "Anna Andersson");
  const bool account = platform::AccountProtectionAvailable();
  EXPECT_EQ(Inspect(dir.file("priv_key.bin")),
            std::string("Nyckelpar (priv_key.bin eller säkerhetskopia), posterna \"") +
                (account ? "LockedKey" : "PrivateKey") +
                "\" och \"PublicKey\"\n"
                "Nyckelns namn: Anna Andersson\n"
                "Algoritm för kryptering: RSA 2048bit\n"
                "Algoritm för signering: RSA 4096bit\n"
                "Fingerprint: C193BAC418EB3CDD10C68AC4BB607AA8C9B27D0407DEEF16570EA6F029B30673\n"
                "Skydd: " +
                (account ? "Windows-kontot på den dator som skrev filen"
                         : "inget (den privata nyckeln är okrypterad)") +
                "\n");

  const CertKeyPairRecords authority = test::CertKeyFrom("carol", "Test Org", "0123456789ABCDEF");
  const std::string privateCertKey = dir.file("org.private_cert_key");
  const std::string publicCertKey = dir.file("org.public_cert_key");
  test::WriteContent(privateCertKey, authority.privateRecord);
  test::WriteContent(publicCertKey, authority.publicRecord);
  EXPECT_EQ(Inspect(privateCertKey),
            "Privat certifieringsnyckel, post \"PrivateCertKey\"\n"
            "Organisation: Test Org\n"
            "Typ: RSA 2048bit\n"
            "Nyckel-ID: 0123456789ABCDEF\n");
  // Locked, it shows nothing of what the lock keeps.
  const auto generator = test::SeededGenerator();
  const std::optional<ByteBuffer> locked =
      LockKeyRecord(authority.privateRecord, {},
                    {KeyLock::kPassphrase, SecretText("fras"), generator.get(), ScryptCost{4, 1, 1}});
  ASSERT_TRUE(locked);
  test::WriteContent(privateCertKey, *locked);
  EXPECT_EQ(Inspect(privateCertKey), std::string(cli_text::kLockedCertKeyKind) + "\nSkydd: lösenfras\n");
  EXPECT_EQ(Inspect(publicCertKey),
            "Publik certifieringsnyckel, post \"PublicCertKey\"\n"
            "Organisation: Test Org\n"
            "Typ: RSA 2048bit\n"
            "Nyckel-ID: 0123456789ABCDEF\n"
            "Fingerprint: 20746B972A8C63AC2137B4FBFDFE1B3A965C4F52122BB9F77234C82ED4DA0783\n");

  const ByteBuffer certification = test::CertificationOf(alice.publicRecord, authority);
  const std::string certificationFile = dir.file("anna.certification");
  test::WriteContent(certificationFile, certification);
  EXPECT_EQ(
      Inspect(certificationFile),
      "Certifiering, post \"Certification\"\n"
      "Organisation: Test Org\n"
      "Nyckel-ID: 0123456789ABCDEF\n"
      "Certifierad nyckels fingerprint: C193BAC418EB3CDD10C68AC4BB607AA8C9B27D0407DEEF16570EA6F029B30673\n"
      "Tidstämpel: 2023-11-14 22:13\n"
      "  Namn: Alice Andersson\n");

  const std::optional<ByteBuffer> certificate =
      CreateCertificate(alice.publicRecord, {certification, certification});
  ASSERT_TRUE(certificate);
  const std::string certificateFile = dir.file("anna.certificate");
  test::WriteContent(certificateFile, *certificate);
  EXPECT_EQ(Inspect(certificateFile),
            "Personligt certifikat, post \"Certificate\"\n"
            "Algoritm för kryptering: RSA 2048bit\n"
            "Algoritm för signering: RSA 4096bit\n"
            "Fingerprint: C193BAC418EB3CDD10C68AC4BB607AA8C9B27D0407DEEF16570EA6F029B30673\n"
            "Certifieringar: 2\n"
            "  Organisation: Test Org\n"
            "  Nyckel-ID: 0123456789ABCDEF\n"
            "  Tidstämpel: 2023-11-14 22:13\n"
            "    Namn: Alice Andersson\n"
            "  Organisation: Test Org\n"
            "  Nyckel-ID: 0123456789ABCDEF\n"
            "  Tidstämpel: 2023-11-14 22:13\n"
            "    Namn: Alice Andersson\n");
}

TEST_F(InspectReport, WorkingFolderFiles) {
  const std::string config = dir.file("config.bin");
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), {Settings::kOki, 1}));
  EXPECT_EQ(Inspect(config),
            "Inställningar (config.bin)\n"
            "Filformat: OKI-format\n"
            "Kompression: på\n"
            "Kryptera även till mig själv: av\n");
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), {Settings::kQuillseal, 0, 1}));
  EXPECT_EQ(Inspect(config),
            "Inställningar (config.bin)\n"
            "Filformat: Quillseal-format\n"
            "Kompression: av\n"
            "Kryptera även till mig själv: på\n");

  ASSERT_TRUE(generator->writeSeedFile(dir.file("rand.bin")));
  EXPECT_EQ(Inspect(dir.file("rand.bin")), "Fröfil för slumptalsgeneratorn (rand.bin)\n");

  const std::string trusted = dir.file("cert_key_list.bin");
  test::WriteContent(
      trusted, EncodeTrustedKeyList({test::CertKeyFrom("carol", "Test Org", "0123456789ABCDEF").publicRecord,
                                     test::CertKeyFrom("bob", "Andra", "FEDCBA9876543210").publicRecord}));
  EXPECT_EQ(Inspect(trusted),
            "Betrodda certifieringsnycklar (cert_key_list.bin): 2\n"
            "  Organisation: Test Org\n"
            "  Typ: RSA 2048bit\n"
            "  Nyckel-ID: 0123456789ABCDEF\n"
            "  Fingerprint: 20746B972A8C63AC2137B4FBFDFE1B3A965C4F52122BB9F77234C82ED4DA0783\n"
            "  Organisation: Andra\n"
            "  Typ: RSA 2048bit\n"
            "  Nyckel-ID: FEDCBA9876543210\n"
            "  Fingerprint: B8AA8DDDE5BF280313CC56D3C1F6C1C63B194BBD4E945DD355385054C2D13446\n");
}

// A record whose layout is off by one byte must not be shown as if it were read right.
TEST_F(InspectReport, UnknownAndDamagedFilesAreNamedSo) {
  const std::string unknown = dir.file("unknown.bin");
  test::WriteRaw(unknown, std::string(300, 'x'));

  const CertKeyPairRecords authority = test::CertKeyFrom("carol", "Test Org", "0123456789ABCDEF");
  const ByteBuffer certification = test::CertificationOf(alice.publicRecord, authority);
  const std::string shortCertification = dir.file("short.certification");
  test::WriteContent(shortCertification, ByteBuffer(certification.span().first(certification.length() - 1)));

  const std::optional<ByteBuffer> certificate = CreateCertificate(alice.publicRecord, {certification});
  ASSERT_TRUE(certificate);
  const std::string shortCertificate = dir.file("short.certificate");
  test::WriteContent(shortCertificate, ByteBuffer(certificate->span().first(certificate->length() - 1)));

  SignatureRequest request;
  request.generator = generator.get();
  const std::string signature = dir.file("plain.sig");
  ASSERT_TRUE(SignFile(request, alice.privateRecord, Plain(), signature));
  ByteStream longer;
  ASSERT_TRUE(ReadWholeFile(longer, signature));
  longer.bytes.appendU8(0);
  const std::string longSignature = dir.file("long.sig");
  test::WriteContent(longSignature, longer.bytes);

  // A byte after a container's content, and after a certificate's last certification.
  const std::string appended = dir.file("appended.public_cert_key");
  test::WriteContent(appended, authority.publicRecord);
  test::WriteRaw(appended, test::ReadRaw(appended) + '\0');
  ByteBuffer longerCertificate = *certificate;
  longerCertificate.appendU8(0);
  const std::string longCertificate = dir.file("long.certificate");
  test::WriteContent(longCertificate, longerCertificate);

  for (const std::string& path :
       {unknown, shortCertification, shortCertificate, longSignature, appended, longCertificate}) {
    EXPECT_EQ(Inspect(path, kFailure),
              "quillseal-cli: Okänd filtyp: " + path + " är ingen fil som Quillseal skriver.\n");
  }
}

}  // namespace qs::cli
