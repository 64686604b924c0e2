#include <gtest/gtest.h>

#include <cctype>
#include <new>
#include <sstream>
#include <stdexcept>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cli/approval.h"
#include "cli/cli.h"
#include "cli/progress_display.h"
#include "keys/key_store.h"
#include "keys/locked_key.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "platform/account_protection.h"
#include "platform/file.h"
#include "platform/file_fault.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/temp_folder.h"

namespace qs::cli {
namespace {

struct Streams {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Io io{in, out, err, false, false};
};

int RunWords(Streams& s, std::vector<std::string> words) { return Run(words, s.io); }

// A command's exit status and what it wrote on standard error.
using CommandResult = std::pair<int, std::string>;

TEST(Cli, UsageMistakesExitWithTwoAndHelpWithZero) {
  Streams s;
  EXPECT_EQ(RunWords(s, {}), kUsage);
  EXPECT_EQ(RunWords(s, {"nonsense"}), kUsage);
  EXPECT_EQ(RunWords(s, {"verify", "--from", "x", "only-one"}), kUsage);
  // Standard input is read once, so its sender cannot be searched for among several.
  EXPECT_EQ(RunWords(s, {"decrypt", "--from", "a", "--from", "b", "-"}), kUsage);
  EXPECT_EQ(RunWords(s, {"verify", "--from", "a", "--from", "b", "-", "f.sig"}), kUsage);
  EXPECT_NE(s.err.str().find("ange en enda --from"), std::string::npos);
  EXPECT_EQ(RunWords(s, {"--bogus", "key", "show"}), kUsage);
  EXPECT_EQ(RunWords(s, {"trust"}), kUsage);
  EXPECT_NE(s.err.str().find("trust list"), std::string::npos);
  EXPECT_EQ(RunWords(s, {"trust", "--help"}), kSuccess);
  EXPECT_EQ(RunWords(s, {"sign", "--help"}), kSuccess);
  EXPECT_NE(s.out.str().find("quillseal-cli sign INFIL"), std::string::npos);
  // Before any file or key is looked at.
  test::TempFolder dir;
  Streams compress;
  EXPECT_EQ(RunWords(compress, {"--workdir", dir.path(), "encrypt", "--to", "x", "--compress=fast", "in"}),
            kUsage);
  EXPECT_NE(compress.err.str().find("--compress tar inget värde eller strong"), std::string::npos);
  EXPECT_EQ(RunWords(compress, {"--workdir", dir.path(), "encrypt", "--to", "x", "--compress=strong",
                                "--no-compress", "in"}),
            kUsage);
  EXPECT_EQ(RunWords(compress, {"encrypt", "--help"}), kSuccess);
  EXPECT_NE(compress.out.str().find("[--compress[=strong]|--no-compress]"), std::string::npos);
  // An expected field that no certification could hold as written could only match another text.
  for (const char* expected : {"Namn", "=Bob", "Namn=Bob\x1B[2K", "Namn=\xE6\x97\xA5", "Namn=\xC2\x81"}) {
    Streams field;
    EXPECT_EQ(RunWords(field, {"--workdir", dir.path(), "--expect-field", expected, "key", "show"}), kUsage)
        << expected;
    EXPECT_EQ(field.err.str().find('\x1B'), std::string::npos);
  }
  Streams field;
  EXPECT_EQ(RunWords(field, {"--workdir", dir.path(), "--expect-field", "E-post=åsa@example.se",
                             "--expect-field", "Namn=Åsa Öberg", "key", "show"}),
            kFailure)
      << field.err.str();
}

TEST(Cli, VersionIsTheProjectsOnStandardOutputAndTheHelpNamesIt) {
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"--version"}, {"--quiet", "--version"}, {"--version", "key", "show"}}) {
    Streams s;
    EXPECT_EQ(RunWords(s, words), kSuccess);
    EXPECT_EQ(s.out.str(), "quillseal-cli " QS_VERSION "\n");
    EXPECT_EQ(s.err.str(), "");
  }
  Streams s;
  EXPECT_EQ(RunWords(s, {"key", "show", "--version"}), kUsage);
  EXPECT_EQ(RunWords(s, {"--help"}), kSuccess);
  EXPECT_NE(s.out.str().find("--version"), std::string::npos);
}

TEST(Cli, SettingsRoundTripThroughTheWorkingFolder) {
  test::TempFolder dir;
  Streams s;
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--format", "oki", "--compression", "on"}),
            kSuccess);
  Streams again;
  EXPECT_EQ(RunWords(again, {"--workdir", dir.path(), "settings"}), kSuccess);
  EXPECT_EQ(
      again.out.str(),
      "Filformat: Open Key Infrastructure (OKI-format)\nKompression: på\nKryptera även till mig själv: av\n");
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--format", "quillseal", "--to-self", "on"}),
            kSuccess);
  EXPECT_EQ(s.out.str().substr(s.out.str().rfind("Filformat")),
            "Filformat: Quillseal-format\nKompression: på\nKryptera även till mig själv: på\n");
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--compression", "maybe"}), kUsage);
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--to-self", "yes"}), kUsage);
}

TEST(Cli, SigningOntoTheDocumentFailsAndKeepsIt) {
  test::TempFolder dir;
  Streams s;
  ASSERT_EQ(RunWords(s, {"--workdir", dir.path(), "keygen", "--name", "Anna", "--encryption-bits", "2048",
                         "--signing-bits", "2048"}),
            kSuccess);
  const std::string document = dir.path() + "/doc.txt";
  test::WriteRaw(document, "the only copy");
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "--quiet", "sign", document, "-o", document, "--force"}),
            kFailure);
  EXPECT_NE(s.err.str().find("Fel vid signering av fil."), std::string::npos);
  EXPECT_EQ(test::ReadRaw(document), "the only copy");
}

// A terminal that types the lines given, one per question.
struct Terminal : Streams {
  explicit Terminal(const std::string& typed) {
    in.str(typed);
    io.inputIsTerminal = true;
  }
};

TEST(Cli, APassphraseLocksTheKeyPairAndEachCommandAsksForItOnce) {
  test::TempFolder dir;
  test::StoreTestKeyPair(dir.path(), "bob", "Bob");
  const std::string keyFile = dir.file(kKeyPairFileName);
  const std::string before = test::ReadRaw(keyFile);
  // Refused before anything is written: two different answers, an empty one, no terminal.
  for (const char* typed : {"fras\nfrås\n", "\n\n", ""}) {
    Terminal t(typed);
    EXPECT_EQ(RunWords(t, {"--workdir", dir.path(), "key", "protect", "--passphrase"}), kUsage) << typed;
  }
  Streams noTerminal;
  EXPECT_EQ(RunWords(noTerminal, {"--workdir", dir.path(), "key", "protect", "--passphrase"}), kUsage);
  EXPECT_NE(noTerminal.err.str().find("--passphrase-file"), std::string::npos);
  Streams missingFile;
  EXPECT_EQ(RunWords(missingFile, {"--workdir", dir.path(), "--passphrase-file", dir.file("none"), "key",
                                   "protect", "--passphrase"}),
            kUsage);
  EXPECT_NE(missingFile.err.str().find("Lösenfrasfilen kan inte läsas"), std::string::npos);
  EXPECT_EQ(test::ReadRaw(keyFile), before);

  Terminal protect("rätt fras\nrätt fras\n");
  ASSERT_EQ(RunWords(protect, {"--workdir", dir.path(), "key", "protect", "--passphrase"}), kSuccess)
      << protect.err.str();
  EXPECT_EQ(LockOf(ReadStoredKeyPair(dir.path())->privateRecord), KeyLock::kPassphrase);
  EXPECT_EQ(protect.err.str().find("rätt fras"), std::string::npos);
  const std::string locked = test::ReadRaw(keyFile);

  // A wrong try, then the right one: the export goes ahead after one more question.
  Terminal retry("fel\nrätt fras\n");
  const std::string exported = dir.file("bob.public_key");
  EXPECT_EQ(RunWords(retry, {"--workdir", dir.path(), "key", "export", "-o", exported}), kSuccess)
      << retry.err.str();
  EXPECT_NE(retry.err.str().find("Fel lösenfras. Försök igen."), std::string::npos);
  // Three wrong tries give up with the cause; nothing is given at all without a terminal.
  Terminal wrong("a\nb\nc\nrätt fras\n");
  EXPECT_EQ(RunWords(wrong, {"--workdir", dir.path(), "key", "export", "-o", exported, "--force"}), kRefused);
  EXPECT_NE(wrong.err.str().find("fel lösenfras för nyckeln"), std::string::npos);
  Streams script;
  EXPECT_EQ(RunWords(script, {"--workdir", dir.path(), "key", "export", "-o", exported, "--force"}),
            kNotApproved);
  EXPECT_NE(script.err.str().find("kör i en terminal eller ange --passphrase-file"), std::string::npos);

  // A script's passphrase file: signing two files asks nothing and reads the key each time.
  const std::string passphraseFile = dir.file("pass.txt");
  test::WriteRaw(passphraseFile, "rätt fras\r\nnot this line\n");
  const std::string first = dir.file("a.txt");
  const std::string second = dir.file("b.txt");
  test::WriteRaw(first, "a");
  test::WriteRaw(second, "b");
  Streams signing;
  EXPECT_EQ(RunWords(signing, {"--workdir", dir.path(), "--passphrase-file", passphraseFile, "--quiet",
                               "sign", first, second}),
            kSuccess)
      << signing.err.str();
  test::WriteRaw(passphraseFile, "fel\n");
  Streams wrongFile;
  EXPECT_EQ(RunWords(wrongFile, {"--workdir", dir.path(), "--passphrase-file", passphraseFile, "key",
                                 "backup", "-o", dir.file("x.key_backup")}),
            kRefused);
  EXPECT_FALSE(platform::FileExists(dir.file("x.key_backup")));
  EXPECT_EQ(test::ReadRaw(keyFile), locked);

  // A backup with a passphrase restores elsewhere with it; inspect tells both locks.
  test::WriteRaw(passphraseFile, "rätt fras\n");
  const std::string backup = dir.file("bob.key_backup");
  Streams backingUp;
  ASSERT_EQ(RunWords(backingUp, {"--workdir", dir.path(), "--passphrase-file", passphraseFile, "key",
                                 "backup", "--passphrase", "-o", backup}),
            kSuccess)
      << backingUp.err.str();
  EXPECT_EQ(backingUp.err.str().find("okrypterad"), std::string::npos);
  test::TempFolder other;
  Streams restoring;
  EXPECT_EQ(RunWords(restoring, {"--workdir", other.path(), "--passphrase-file", passphraseFile, "key",
                                 "restore", backup}),
            kSuccess)
      << restoring.err.str();
  Streams inspect;
  EXPECT_EQ(RunWords(inspect, {"inspect", backup}), kSuccess);
  EXPECT_NE(inspect.out.str().find("Skydd: lösenfras"), std::string::npos) << inspect.out.str();
  if (!platform::AccountProtectionAvailable()) {
    Streams account;
    EXPECT_EQ(RunWords(account, {"--workdir", dir.path(), "key", "protect"}), kUsage);
    EXPECT_NE(account.err.str().find("använd --passphrase"), std::string::npos);
  }
}

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// Under the usual umask, what holds private key material is the owner's alone; the rest
// follows the umask, and what replaces a file keeps that file's mode.
TEST(Cli, KeyFilesAreTheOwnersAloneAndTheFolderIsWatched) {
  const mode_t saved = ::umask(022);
  test::TempFolder dir;
  const std::string wd = dir.path() + "/wd";
  const auto in = [&](const std::string& name) { return dir.path() + "/" + name; };
  Streams s;
  ASSERT_EQ(RunWords(s, {"--workdir", wd, "keygen", "--name", "Anna", "--encryption-bits", "2048",
                         "--signing-bits", "2048"}),
            kSuccess);
  ASSERT_EQ(RunWords(s, {"--workdir", wd, "key", "backup", "-o", in("anna.key_backup")}), kSuccess);
  ASSERT_EQ(RunWords(s, {"--workdir", wd, "key", "export", "-o", in("anna.public_key")}), kSuccess);
  ASSERT_EQ(RunWords(s, {"--workdir", wd, "ca", "create", "--organisation", "Org", "--bits", "2048", "-o",
                         in("ca")}),
            kSuccess);
  test::WriteRaw(in("doc.txt"), "text");
  test::WriteRaw(in("doc.signature"), "older");
  ::chmod(in("doc.signature").c_str(), 0600);
  ASSERT_EQ(
      RunWords(s, {"--workdir", wd, "--quiet", "sign", in("doc.txt"), "-o", in("doc.signature"), "--force"}),
      kSuccess);
  ASSERT_EQ(RunWords(s, {"--workdir", wd, "key", "restore", in("anna.key_backup"), "--force"}), kSuccess);
  for (const auto& [path, mode] : std::vector<std::pair<std::string, mode_t>>{
           {wd, 0700},
           {wd + "/priv_key.bin", 0600},
           {wd + "/rand.bin", 0600},
           {in("anna.key_backup"), 0600},
           {in("ca.private_cert_key"), 0600},
           {in("ca.public_cert_key"), 0644},
           {in("anna.public_key"), 0644},
           {in("anna.public_key.signature"), 0644},
           {in("doc.signature"), 0600},
       }) {
    EXPECT_EQ(ModeOf(path), mode) << path;
  }
  EXPECT_EQ(s.err.str().find("Varning"), std::string::npos) << s.err.str();

  ::chmod(wd.c_str(), 0755);
  Streams open;
  EXPECT_EQ(RunWords(open, {"--workdir", wd, "key", "show"}), kSuccess);
  const std::string warning = "quillseal-cli: Varning: Andra användare kan läsa eller öppna arbetsmappen " +
                              wd + "; stäng den med chmod 700.\n";
  EXPECT_EQ(open.err.str(), warning);
  ::umask(saved);
}
#endif

// The authority certifies a key only with its owner's proof of possession, which the export
// writes beside the key file; a record joining someone else's signing key to one's own
// encryption key is refused, whoever signed it.
TEST(Cli, CaCertifyWantsTheKeysOwnProofOfPossession) {
  test::TempFolder dir;
  const std::string wd = dir.file("wd");
  ASSERT_TRUE(platform::CreateFolder(wd));
  test::StoreTestKeyPair(wd, "alice", "Alice");
  const std::string caKey = dir.file("ca.private_cert_key");
  test::WriteContent(caKey, test::CertKeyFrom("carol", "Test CA", "0102030405060708").privateRecord);
  const std::string alice = dir.file("alice.public_key");
  Streams exported;
  ASSERT_EQ(RunWords(exported, {"--workdir", wd, "key", "export", "-o", alice}), kSuccess);
  EXPECT_EQ(exported.out.str(), alice + "\n" + alice + ".signature\n");
  Streams again;  // the proof is an output too, kept without --force
  const std::string other = dir.file("x.public_key");
  test::WriteRaw(other + ".signature", "older");
  EXPECT_EQ(RunWords(again, {"--workdir", wd, "key", "export", "-o", other}), kFailure);
  EXPECT_EQ(again.err.str(), "quillseal-cli: Filen finns redan: " + other +
                                 ".signature (använd --force för att skriva över den).\n");
  EXPECT_FALSE(platform::FileExists(other));
  EXPECT_EQ(RunWords(again, {"--workdir", wd, "key", "export", "-o", other, "--force"}), kSuccess);
  EXPECT_NE(test::ReadRaw(other + ".signature"), "older");

  const auto certify = [&](const std::string& publicKey, std::vector<std::string> more) {
    Streams s;
    std::vector<std::string> words = {
        "--workdir", wd,         "--yes", "--quiet", "ca",         "certify", "--public-key",
        publicKey,   "--ca-key", caKey,   "--field", "Namn=Alice", "-o",      dir.file("out.certification"),
        "--force"};
    words.insert(words.end(), more.begin(), more.end());
    const int status = RunWords(s, words);
    return CommandResult{status, s.err.str()};
  };
  const auto missing = [](const std::string& publicKey) {
    return "quillseal-cli: " + std::string(MessageText(KeyOutcome::kPossessionProofMissing)) + " " +
           publicKey + ".signature: filen finns inte\n";
  };
  const std::string invalid =
      "quillseal-cli: " + std::string(MessageText(KeyOutcome::kPossessionProofInvalid)) + "\n";
  const std::string mallory = dir.file("mallory.public_key");
  test::WriteContent(mallory, test::HybridPublicKey("bob", "alice"));
  EXPECT_EQ(certify(mallory, {}), (CommandResult{kFailure, missing(mallory)}));
  test::SignFileAs("bob", mallory, mallory + ".signature", kPossessionProofMessage);
  EXPECT_EQ(certify(mallory, {}), (CommandResult{kRefused, invalid}));
  EXPECT_EQ(certify(mallory, {"--proof", alice + ".signature"}), (CommandResult{kRefused, invalid}));
  EXPECT_FALSE(platform::FileExists(dir.file("out.certification")));

  EXPECT_EQ(certify(alice, {}), (CommandResult{kSuccess, std::string()}));
  test::WriteRaw(dir.file("moved.signature"), test::ReadRaw(alice + ".signature"));
  ASSERT_TRUE(platform::RemoveFile(alice + ".signature"));
  EXPECT_EQ(certify(alice, {}), (CommandResult{kFailure, missing(alice)}));
  EXPECT_EQ(certify(alice, {"--proof", dir.file("moved.signature")}),
            (CommandResult{kSuccess, std::string()}));
}

// A fake authority with the real one's Key-ID, trusted first: the real key is added beside it
// after a warning with both fingerprints, and only a fingerprint removes one of the two.
TEST(Cli, TrustAddTellsOfASharedKeyIdAndTrustRemoveWantsTheFingerprint) {
  test::TempFolder dir;
  const std::string wd = dir.file("wd");
  const CertKeyPairRecords fake = test::CertKeyFrom("bob", "Test CA", "0102030405060708");
  const CertKeyPairRecords real = test::CertKeyFrom("carol", "Test CA", "0102030405060708");
  const std::string fakeFingerprint = HexString(*ComputeFingerprint(fake.publicRecord));
  const std::string realFingerprint = HexString(*ComputeFingerprint(real.publicRecord));
  test::WriteContent(dir.file("fake.public_cert_key"), fake.publicRecord);
  test::WriteContent(dir.file("real.public_cert_key"), real.publicRecord);
  const auto trust = [&](const std::string& file, const std::string& fingerprint) {
    Streams s;
    const int status =
        RunWords(s, {"--quiet", "--workdir", wd, "--expect-fingerprint", fingerprint, "trust", "add", file});
    return CommandResult{status, s.err.str()};
  };
  // A mistyped --workdir is refused, not made: only the commands that make a key pair make it.
  EXPECT_EQ(trust(dir.file("fake.public_cert_key"), fakeFingerprint),
            (CommandResult{kUsage, "quillseal-cli: Arbetsmappen i --workdir finns inte: " + wd +
                                       ". Kontrollera namnet; en ny arbetsmapp skapas bara av keygen, key "
                                       "restore och ca create.\n"}));
  EXPECT_FALSE(platform::FileExists(wd));
  ASSERT_TRUE(platform::CreateFolder(wd));
  EXPECT_EQ(trust(dir.file("fake.public_cert_key"), fakeFingerprint),
            (CommandResult{kSuccess, std::string()}));
  const auto [status, err] = trust(dir.file("real.public_cert_key"), realFingerprint);
  EXPECT_EQ(status, kSuccess);
  EXPECT_EQ(err.rfind("quillseal-cli: Varning! Nyckel-ID 0102030405060708 finns redan", 0), 0u) << err;
  EXPECT_NE(err.find("Den valda nyckelns fingerprint: " + realFingerprint + "\n"), std::string::npos) << err;
  EXPECT_NE(err.find("Betrodd nyckel med samma Nyckel-ID: " + fakeFingerprint + "\n"), std::string::npos)
      << err;
  EXPECT_EQ(
      trust(dir.file("real.public_cert_key"), realFingerprint),
      (CommandResult{kFailure, "quillseal-cli: Denna nyckel finns redan i listan av betrodda nycklar!\n"}));

  Streams remove;
  EXPECT_EQ(RunWords(remove, {"--workdir", wd, "trust", "remove", "0102030405060708"}), kFailure);
  EXPECT_EQ(remove.err.str(),
            "quillseal-cli: Flera betrodda certifieringsnycklar har detta Nyckel-ID; ange "
            "nyckelns fingerprint i stället.\n");
  std::string lower = fakeFingerprint;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(RunWords(remove, {"--workdir", wd, "trust", "remove", lower}), kSuccess);
  Streams listed;
  EXPECT_EQ(RunWords(listed, {"--workdir", wd, "trust", "list"}), kSuccess);
  EXPECT_EQ(listed.out.str().find(fakeFingerprint), std::string::npos);
  EXPECT_NE(listed.out.str().find(realFingerprint), std::string::npos);
  EXPECT_EQ(RunWords(remove, {"--workdir", wd, "trust", "remove", "0102030405060708"}), kSuccess);
}

TEST(Cli, ApprovalFollowsFingerprintThenYesThenTheTerminal) {
  const std::string fingerprint = "AB12";
  {
    Streams s;
    Session session(s.io, GlobalOptions{std::nullopt, true, std::string("ab12"), false, {}});
    EXPECT_TRUE(ApproveCertificate(session, {}, fingerprint));
  }
  {
    Streams s;  // a wrong fingerprint wins over --yes
    Session session(s.io, GlobalOptions{std::nullopt, true, std::string("ab13"), false, {}});
    EXPECT_FALSE(ApproveCertificate(session, {}, fingerprint));
  }
  {
    Streams s;  // no terminal, no --yes: what would do is named, for a trusted key never --yes
    Session session(s.io, GlobalOptions{});
    EXPECT_FALSE(ApproveCertificate(session, {}, fingerprint));
    EXPECT_NE(s.err.str().find("Godkännande krävs"), std::string::npos);
    EXPECT_NE(s.err.str().find("--yes tillsammans med --expect-field"), std::string::npos);
    EXPECT_FALSE(ApproveTrustedKey(session, "Org", "0011", fingerprint));
    EXPECT_EQ(s.err.str().find("--yes", s.err.str().find("Certifieringsnyckel:")), std::string::npos)
        << s.err.str();
  }
  // --yes stands for the user only where the command says whom it expects and a trusted
  // authority vouches for just that.
  CertificationResult verified;
  verified.status = CertificationStatus::kVerified;
  verified.fields = test::Fields({{"Namn", "Bob"}});
  CertificationResult unverified;
  unverified.status = CertificationStatus::kNoTrustedKey;
  unverified.fields = verified.fields;
  const GlobalOptions yes{std::nullopt, true, std::nullopt, false, {}};
  const std::vector<DataField> bob = test::Fields({{"Namn", "Bob"}});
  struct Case {
    CertificationResults results;
    std::vector<DataField> expected;
    std::optional<std::string> expectedFingerprint;
    const char* refusal;  // nothing when approved
  };
  for (const Case& c : std::vector<Case>{
           {{unverified, verified}, {}, std::nullopt, "--yes godkänner ett certifikat bara när"},
           {{}, bob, std::nullopt, "Ingen certifiering av en betrodd"},
           {{unverified}, bob, std::nullopt, "Ingen certifiering av en betrodd"},
           {{verified}, test::Fields({{"Namn", "Eve"}}), std::nullopt, "Ingen certifiering av en betrodd"},
           {{unverified, verified}, bob, std::nullopt, nullptr},
           // Every expectation given must hold.
           {{verified}, bob, std::string("ab12"), nullptr},
           {{verified}, bob, std::string("ab13"), "Fingerprint stämmer inte"},
           {{unverified}, bob, std::string("ab12"), "Ingen certifiering av en betrodd"},
       }) {
    Streams s;
    GlobalOptions options = yes;
    options.expectFields = c.expected;
    options.expectFingerprint = c.expectedFingerprint;
    Session session(s.io, options);
    EXPECT_EQ(ApproveCertificate(session, c.results, fingerprint), c.refusal == nullptr) << s.err.str();
    if (c.refusal) {
      EXPECT_NE(s.err.str().find(c.refusal), std::string::npos) << s.err.str();
    }
  }
  {
    Streams s;  // an expectation without --yes still leaves the answer to the user
    s.in.str("nej\n");
    s.io.inputIsTerminal = true;
    GlobalOptions options;
    options.expectFields = bob;
    Session session(s.io, options);
    EXPECT_FALSE(ApproveCertificate(session, {verified}, fingerprint));
    EXPECT_NE(s.err.str().find("Är det här certifikatet pålitligt? [j/N]"), std::string::npos);
    EXPECT_EQ(session.failureStatus(), kNotApproved);
    EXPECT_EQ(s.out.str(), "");
  }
  {
    Streams s;  // the trusted list rests on the user's own word
    Session session(s.io, yes);
    EXPECT_FALSE(ApproveTrustedKey(session, "Org", "0011", fingerprint));
    EXPECT_NE(s.err.str().find("--yes räcker inte"), std::string::npos);
  }
  {
    Streams s;  // a certification on --yes, after showing what is signed
    Session session(s.io, yes);
    EXPECT_TRUE(ApproveCertification(session, "anna.public_key", "2026-12-07 10:00",
                                     {{RecordText("Namn"), RecordText("Anna Åberg")}}, fingerprint));
    EXPECT_EQ(s.err.str(),
              "Certifiering av anna.public_key:\n  Tidsstämpel: 2026-12-07 10:00\n    Namn: Anna Åberg\n"
              "Fingerprint: AB12\n");
    EXPECT_EQ(s.out.str(), "");
    Streams quiet;  // --quiet leaves out what no question follows
    Session quietly(quiet.io, GlobalOptions{std::nullopt, true, std::string("ab12"), true, {}});
    EXPECT_TRUE(ApproveCertificate(quietly, {verified}, fingerprint));
    EXPECT_EQ(quiet.err.str(), "");
    Streams none;
    Session refused(none.io, GlobalOptions{});
    EXPECT_FALSE(ApproveCertification(refused, "anna.public_key", "", {}, fingerprint));
  }
  for (const auto& [answer, approved] :
       std::vector<std::pair<std::string, bool>>{{"j\n", true}, {"\n", false}, {"nej\n", false}}) {
    Streams s;
    s.in.str(answer);
    s.io.inputIsTerminal = true;
    Session session(s.io, GlobalOptions{});
    EXPECT_EQ(ApproveTrustedKey(session, "Org", "0011", fingerprint), approved) << answer;
    Streams again;  // on a terminal --yes that is not enough still asks
    again.in.str(answer);
    again.io.inputIsTerminal = true;
    Session withYes(again.io, yes);
    EXPECT_EQ(ApproveTrustedKey(withYes, "Org", "0011", fingerprint), approved) << answer;
    EXPECT_NE(s.err.str().find("Godkänner du detta som en pålitlig nyckel? [j/N]"), std::string::npos);
  }
}

// A command that meets an exception fails like any other failure: status 1, its message, and
// nothing half-written; the progress thread is stopped on the way.
TEST(CommandFailure, AnExceptionInTheWorkReachesTheCallerAfterTheProgressThreadStopped) {
  for (const bool terminal : {false, true}) {
    Streams s;
    s.io.errorIsTerminal = terminal;
    ProgressDisplay display(s.io, false);
    bool cancelled = false;
    const ProgressSource source{[] { return 0.5; }, nullptr, [&cancelled] { cancelled = true; }};
    EXPECT_THROW(display.run(source, []() -> bool { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_FALSE(display.interrupted());
    EXPECT_FALSE(cancelled);
  }
}

void RaiseOutOfMemory() { throw std::bad_alloc(); }

TEST(CommandFailure, AnExceptionAtAnyFileCallOfACommandGivesItsMessageAndStatusOne) {
  test::TempFolder dir;
  test::StoreTestKeyPair(dir.path(), "carol", "Carol");
  const std::string data = dir.file("data");
  const std::string signature = dir.file("data.signature");
  test::WriteRaw(data, std::string(70000, 'd'));
  test::WriteRaw(signature, "an older file");
  const std::vector<std::string> words = {"--workdir", dir.path(), "sign", data, "-o", signature, "--force"};
  int thrown = 0;
  for (std::uint64_t n = 1; n < 1000; ++n) {
    Streams s;
    platform::ThrowAtNthFileCall(n, RaiseOutOfMemory);
    const int status = cli::Run(words, s.io);
    const bool hit = platform::InjectedFileFaultHit();
    platform::FailNthFileCall(0);
    if (!hit) {
      EXPECT_EQ(status, kSuccess) << s.err.str();
      break;
    }
    ++thrown;
    EXPECT_EQ(status, kFailure) << "call " << n;
    EXPECT_EQ(s.err.str(), "quillseal-cli: Fel vid signering av fil.\n") << "call " << n;
    EXPECT_EQ(test::ReadRaw(signature), "an older file") << "call " << n;
    EXPECT_EQ(test::ListFolder(dir.path()).find(".qs-tmp-"), std::string::npos) << "call " << n;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(thrown, 3);
}

}  // namespace
}  // namespace qs::cli
