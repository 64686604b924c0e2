// The file commands of the command line beside the GUI: the same outcome gives the same words
// in both, and what the command line adds, several files in one command.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <sstream>

#include "app/progress_dialog.h"
#include "app/resource_ids.h"
#include "base/byte_stream.h"
#include "base/timestamp.h"
#include "base/visible_text.h"
#include "cli/cli.h"
#include "cli/messages.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "operations/cause_text.h"
#include "operations/key_messages.h"
#include "operations/messages.h"
#include "operations/output_names.h"
#include "platform/file.h"
#include "platform/file_fault.h"
#include "platform/working_folder.h"
#include "tests/app/app_fixture.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

struct Streams {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  cli::Io io{in, out, err, false, false};
};

void RaiseOutOfMemory() { throw std::bad_alloc(); }

// The user is alice; bob and carol are peers whose certificates a trusted authority, "Org",
// has certified, so --yes approves them when the command names whom it expects.
class FileCommandsTest : public test::AppTest {
 protected:
  FileCommandsTest() {
    storeKeyPair("alice", "Alice");
    trustAuthority("Org");
    writeCertificate("alice.certificate", "alice", {"Org"});
    writeCertificate("bob.certificate", "bob", {"Org"});
  }

  // Runs the request under the GUI's progress dialog and gives the message it showed.
  std::string gui(OperationCode code, const std::string& source, const std::string& target,
                  const std::string& own, const std::string& peer,
                  Settings::FileFormat format = Settings::kQuillseal) {
    OperationRequest& r = state_.operation;
    r.code = code;
    r.format = format;
    r.compression = ChunkCompression::kNone;
    r.sourceName = source;
    r.targetName = target;
    r.ownPrivateKey = code == OperationCode::kVerify ? ByteBuffer() : test::KeyPairOf(own).privateRecord;
    r.peerPublicKey = code == OperationCode::kSign ? ByteBuffer() : test::KeyPairOf(peer).publicRecord;
    ui_.clearLog();
    ui_.onDialog(IDD_PROGRESS, [](test::FakeView&) {});
    RunOperationDialog(ui_, state_);
    const std::vector<std::string>& log = ui_.log();
    const std::string box = "error@101: ";
    return !log.empty() && log.back().rfind(box, 0) == 0 ? log.back().substr(box.size()) : "";
  }

  // A file of alice's own, or one sealed by the GUI from one test key pair to another.
  std::string sealed(const std::string& name, const std::string& from, const std::string& to,
                     const std::string& content, Settings::FileFormat format = Settings::kQuillseal) {
    EXPECT_EQ(gui(OperationCode::kEncrypt, writeFile(name + ".plain", content), path(name), from, to, format),
              "");
    return path(name);
  }

  // The command with --yes and each expected field.
  // Without quiet, approval texts are shown on stderr.
  int cli(Streams& s, std::vector<std::string> words,
          const std::vector<std::string>& expected = {"Namn=bob Åkesson"}, bool quiet = true) {
    std::vector<std::string> global{"--workdir", dir_.path(), "--yes"};
    if (quiet) global.push_back("--quiet");
    for (const std::string& field : expected) global.insert(global.end(), {"--expect-field", field});
    words.insert(words.begin(), global.begin(), global.end());
    return cli::Run(words, s.io);
  }

  std::string bob() { return path("bob.certificate"); }
};

// Every failure an operation can end in, and every cause a user can give it, made to happen
// for real in both front ends: the same words, with the file and its cause.
TEST_F(FileCommandsTest, EveryOutcomeReadsTheSameInBothFrontEnds) {
  const std::string plain = writeFile("plain", std::string(3000, 'p'));
  const std::string fromCarol = sealed("from-carol", "carol", "alice", "x");
  const std::string forCarol = sealed("for-carol", "bob", "carol", "x");
  std::string bytes = test::ReadRaw(sealed("from-bob", "bob", "alice", "x"));
  bytes[25] ^= 0x01;  // the method byte of the header record
  const std::string otherMethod = writeFile("other", bytes);
  // Cut short in its header and in its second chunk, and damaged in that chunk.
  const std::string large = test::ReadRaw(sealed("large", "bob", "alice", std::string(3000000, 'l')));
  const std::string cutHeader = writeFile("cut-header", large.substr(0, 500));
  const std::string cutChunk = writeFile("cut-chunk", large.substr(0, 2500000));
  std::string damaged = large;
  damaged[damaged.size() - 100] ^= 0x01;
  const std::string damagedChunk = writeFile("damaged", damaged);
  const std::uint32_t headerBytes = ByteStream(test::FromString(large.substr(0, 4))).readU32();
  const std::string okiFromCarol =
      sealed("oki-from-carol", "carol", "alice", std::string(300, 'o'), Settings::kOki);
  const std::string oki = test::ReadRaw(sealed("oki", "bob", "alice", std::string(300, 'o'), Settings::kOki));
  const std::string okiCut = writeFile("oki-cut", oki.substr(0, 200));
  const std::string huge = writeFile("huge", "");
  std::filesystem::resize_file(huge, kMaxOkiPlainBytes + 1ull);
  const std::string folder = path("folder");
  std::filesystem::create_directory(folder);
  const std::string signature = path("plain.signature");
  ASSERT_EQ(gui(OperationCode::kSign, writeFile("signed", "what bob signed"), signature, "bob", ""), "");
  const std::string sig = test::ReadRaw(signature);
  const std::string cutSignature = writeFile("cut.signature", sig.substr(0, sig.size() - 1));
  const std::string missing = path("missing");
  const std::string out = path("out");
  const auto cause = [](const std::string& file, const std::string& text) { return file + ": " + text; };
  const std::string notFound = "filen finns inte";
  const std::string notBySender = "filen är inte signerad av den valda avsändaren";
  const auto cut = [](std::uint64_t at, std::uint64_t of) {
    return "filen är avkortad (slutar efter " + GroupedDigits(at) + " av " + GroupedDigits(of) + " byte)";
  };

  struct Case {
    FileOutcome outcome;
    cli::ExitStatus status;  // 3 for what the file holds, 1 for reaching it
    std::function<std::string()> gui;
    std::vector<std::string> cli;
    std::string cause;
    bool throwing = false;
  };
  const std::vector<Case> cases{
      {FileOutcome::kSourceUnreadable,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, missing, out, "alice", "bob"); },
       {"encrypt", "--to", bob(), missing, "-o", out},
       cause(missing, notFound)},
      {FileOutcome::kSourceUnreadable,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, folder, out, "alice", "bob"); },
       {"encrypt", "--to", bob(), folder, "-o", out},
       cause(folder, "det är en mapp, inte en fil")},
      {FileOutcome::kTargetUnwritable,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, plain, path("no/folder"), "alice", "bob"); },
       {"encrypt", "--to", bob(), plain, "-o", path("no/folder")},
       cause(path("no/folder"), "mappen finns inte")},
      {FileOutcome::kWrongKeys,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, fromCarol, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), fromCarol, "-o", out},
       cause(fromCarol, notBySender)},
      {FileOutcome::kSourceUnreadable,
       cli::kRefused,  // as a table that does not open has always been told
       [&] { return gui(OperationCode::kDecrypt, forCarol, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), forCarol, "-o", out},
       cause(forCarol, "filen är krypterad för en annan nyckel eller skadad")},
      {FileOutcome::kSourceUnreadable,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, cutHeader, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), cutHeader, "-o", out},
       cause(cutHeader, cut(500, 4 + headerBytes))},
      {FileOutcome::kSourceUnreadable,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, cutChunk, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), cutChunk, "-o", out},
       cause(cutChunk, cut(2500000, large.size()))},
      {FileOutcome::kSourceUnreadable,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, damagedChunk, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), damagedChunk, "-o", out},
       cause(damagedChunk, "filen är skadad eller ändrad (del 2 av 2)")},
      {FileOutcome::kOtherMethod,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, otherMethod, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), otherMethod, "-o", out},
       cause(otherMethod, "filen är krypterad med en annan metod")},
      {FileOutcome::kUnknown,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, plain, out, "alice", "bob"); },
       {"encrypt", "--to", bob(), plain, "-o", out},
       "",
       true},
      {FileOutcome::kOkiTooLarge,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, huge, out, "alice", "bob", Settings::kOki); },
       {"encrypt", "--format", "oki", "--to", bob(), huge, "-o", out},
       cause(huge, "filen är för stor för formatet (262 144 001 byte, högst 262 144 000)")},
      {FileOutcome::kOkiEncryptionFailed,
       cli::kFailure,
       [&] { return gui(OperationCode::kEncrypt, missing, out, "alice", "bob", Settings::kOki); },
       {"encrypt", "--format", "oki", "--to", bob(), missing, "-o", out},
       cause(missing, notFound)},
      {FileOutcome::kFileUnreadable,
       cli::kFailure,
       [&] { return gui(OperationCode::kDecrypt, missing, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), missing, "-o", out},
       cause(missing, notFound)},
      {FileOutcome::kSourceUnreadable,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, signature, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), signature, "-o", out},
       cause(signature, "filen är inte en krypterad fil")},
      {FileOutcome::kOkiDecryptionFailed,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, okiFromCarol, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), okiFromCarol, "-o", out},
       cause(okiFromCarol, notBySender)},
      {FileOutcome::kOkiDecryptionFailed,
       cli::kRefused,
       [&] { return gui(OperationCode::kDecrypt, okiCut, out, "alice", "bob"); },
       {"decrypt", "--from", bob(), okiCut, "-o", out},
       cause(okiCut, cut(200, oki.size()))},
      {FileOutcome::kSigningFailed,
       cli::kFailure,
       [&] { return gui(OperationCode::kSign, missing, out, "alice", ""); },
       {"sign", missing, "-o", out},
       cause(missing, notFound)},
      {FileOutcome::kSignatureMismatch,
       cli::kRefused,
       [&] { return gui(OperationCode::kVerify, plain, signature, "", "bob"); },
       {"verify", "--from", bob(), plain, signature},
       cause(plain, "filen har ändrats eller signaturen är inte gjord av avsändaren")},
      {FileOutcome::kSignatureMismatch,
       cli::kFailure,
       [&] { return gui(OperationCode::kVerify, plain, missing, "", "bob"); },
       {"verify", "--from", bob(), plain, missing},
       cause(missing, notFound)},
      {FileOutcome::kSignatureMismatch,
       cli::kFailure,
       [&] { return gui(OperationCode::kVerify, missing, signature, "", "bob"); },
       {"verify", "--from", bob(), missing, signature},
       cause(missing, notFound)},
      {FileOutcome::kSignatureMismatch,
       cli::kRefused,  // the two files swapped
       [&] { return gui(OperationCode::kVerify, signature, plain, "", "bob"); },
       {"verify", "--from", bob(), signature, plain},
       cause(plain, "filen är inte en signaturfil")},
      {FileOutcome::kSignatureMismatch,
       cli::kRefused,
       [&] { return gui(OperationCode::kVerify, plain, cutSignature, "", "bob"); },
       {"verify", "--from", bob(), plain, cutSignature},
       cause(cutSignature, cut(sig.size() - 1, sig.size()))},
  };
  std::set<FileOutcome> walked;
  for (const Case& c : cases) {
    const std::string expected = MessageText(c.outcome);
    SCOPED_TRACE(expected + " " + c.cause);
    walked.insert(c.outcome);
    if (c.throwing) platform::ThrowAtNthFileCall(1, RaiseOutOfMemory);
    EXPECT_EQ(c.gui(), expected + (c.cause.empty() ? "" : "\n" + c.cause));
    Streams s;
    if (c.throwing) platform::ThrowAtNthFileCall(1, RaiseOutOfMemory);
    EXPECT_EQ(cli(s, c.cli), c.status);
    platform::FailNthFileCall(0);
    EXPECT_EQ(s.err.str(), "quillseal-cli: " + expected + (c.cause.empty() ? "" : " " + c.cause) + "\n");
    EXPECT_FALSE(platform::FileExists(out));
  }
  // Success and a cancel say nothing; every other outcome was walked.
  for (int value = static_cast<int>(FileOutcome::kSourceUnreadable);
       value <= static_cast<int>(FileOutcome::kSignatureMismatch); ++value) {
    EXPECT_EQ(walked.count(static_cast<FileOutcome>(value)), 1u) << value;
  }
  EXPECT_STREQ(MessageText(FileOutcome::kOk), "");
  EXPECT_STREQ(MessageText(FileOutcome::kCancelled), "");
}

// A certificate or key pair that cannot be used stops the command before any file, and both
// front ends name the file and what was wrong with it.
TEST_F(FileCommandsTest, AnUnusableCertificateIsNamedWithItsCauseInBothFrontEnds) {
  const std::string source = writeFile("a.txt", "a");
  const std::string missing = path("nosuch.certificate");
  const std::string text = writeFile("notes.txt", "hi\n");
  const std::string certKey = writeKeyFile("org.public_cert_key", test::PublicCertKeyOf("Org"));
  const std::string whole = test::ReadRaw(bob());
  const std::string cut = writeFile("cut.certificate", whole.substr(0, whole.size() / 2));
  struct Case {
    std::string certificate;
    std::string cause;
    cli::ExitStatus status = cli::kRefused;
  };
  const std::vector<Case> cases = {
      {missing, "filen finns inte", cli::kFailure},
      {text, "filen är ingen fil som Quillseal skriver"},
      {certKey, "filen är en certifieringsnyckel, inte ett certifikat"},
      {cut, "filen är avkortad (slutar efter " + GroupedDigits(whole.size() / 2) + " av " +
                GroupedDigits(whole.size()) + " byte)"},
  };
  const std::string failed = MessageText(KeyOutcome::kKeysUnavailable);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.certificate);
    const std::string cause = c.certificate + ": " + c.cause;
    ui_.clearLog();
    ui_.chooseFile(c.certificate);
    main().type(IDC_MAIN_FILE_NAME, source);
    main().click(IDC_MAIN_ENCRYPT);
    EXPECT_EQ(ui_.log().back(), "error@101: " + failed + "\n" + cause);
    Streams s;
    EXPECT_EQ(cli(s, {"encrypt", "--to", c.certificate, source}), c.status);
    EXPECT_EQ(s.err.str(), "quillseal-cli: " + failed + " " + cause + "\n");
  }
  EXPECT_FALSE(platform::FileExists(source + ".encrypted"));

  // Without a key pair, signing names the file that is missing.
  std::filesystem::remove(path("priv_key.bin"));
  Streams s;
  EXPECT_EQ(cli(s, {"sign", source}), cli::kFailure);
  EXPECT_EQ(s.err.str(), "quillseal-cli: " + failed + " " + platform::JoinPath(dir_.path(), "priv_key.bin") +
                             ": filen finns inte\n");
}

TEST_F(FileCommandsTest, SeveralFilesAreApprovedOnceAndEachGetsItsLine) {
  const std::string a = writeFile("a", "first");
  const std::string b = writeFile("b", "second");
  const std::string missing = path("missing");
  Streams s;
  EXPECT_EQ(cli(s, {"encrypt", "--to", bob(), a, missing, b}), cli::kFailure);
  std::string shown = s.out.str();
  EXPECT_EQ(shown.find("Fingerprint:"), shown.rfind("Fingerprint:")) << "one approval for all files";
  EXPECT_NE(shown.find(a + ": krypterad till " + a + ".encrypted\n"), std::string::npos);
  EXPECT_NE(shown.find(b + ": krypterad till " + b + ".encrypted\n"), std::string::npos);
  EXPECT_EQ(s.err.str(), "quillseal-cli: " + missing + ": Fel vid läsning av källfilen. " + missing +
                             ": filen finns inte\n");

  // Outputs that exist are skipped without --force, each with its line; with none left the
  // certificate is not even asked about.
  Streams again;
  EXPECT_EQ(cli(again, {"encrypt", "--to", bob(), a, b}), cli::kFailure);
  EXPECT_EQ(again.out.str(), "");
  EXPECT_NE(again.err.str().find("Filen finns redan: " + a + ".encrypted"), std::string::npos);
  EXPECT_NE(again.err.str().find("Filen finns redan: " + b + ".encrypted"), std::string::npos);
  Streams forced;
  EXPECT_EQ(cli(forced, {"encrypt", "--to", bob(), a, b, "--force"}), cli::kSuccess) << forced.err.str();

  // From bob to alice, decrypted into a folder that -o makes.
  const std::string x = sealed("x.encrypted", "bob", "alice", "ex");
  const std::string y = sealed("y.encrypted", "bob", "alice", "why");
  const std::string folder = path("opened");
  Streams opened;
  EXPECT_EQ(cli(opened, {"decrypt", "--from", bob(), x, y, "-o", folder}), cli::kSuccess) << opened.err.str();
  EXPECT_EQ(test::ReadRaw(folder + "/x"), "ex");
  EXPECT_EQ(test::ReadRaw(folder + "/y"), "why");
  EXPECT_NE(opened.out.str().find(y + ": dekrypterad till " + platform::JoinPath(folder, "y") + "\n"),
            std::string::npos);
}

// Several --to and --to-self, or the setting: each certificate is approved once, every
// recipient and the sender decrypt, and inspect tells the version and how many can read the
// file. What cannot work is refused before any question.
TEST_F(FileCommandsTest, SeveralRecipientsAndTheSenderEachDecrypt) {
  const std::string carol = writeCertificate("carol.certificate", "carol", {"Org"});
  const std::string a = writeFile("a", "for the team");
  const auto answered = [&](Streams& s, std::vector<std::string> words, const std::string& answers) {
    s.in.str(answers);
    s.io.inputIsTerminal = true;
    words.insert(words.begin(), {"--workdir", dir_.path(), "--quiet"});
    return cli::Run(words, s.io);
  };
  const auto versionAndCount = [&](const std::string& file) {
    Streams shown;
    EXPECT_EQ(cli(shown, {"inspect", file}), cli::kSuccess);
    const std::string text = shown.out.str();
    const std::size_t version = text.find("Version: ");
    const std::size_t count = text.find("Mottagare: ");
    return text.substr(version, text.find('\n', version) - version) + ", " +
           text.substr(count, text.find('\n', count) - count);
  };
  Streams s;
  ASSERT_EQ(answered(s, {"encrypt", "--to", bob(), "--to", carol, "--to-self", a}, "j\nj\n"), cli::kSuccess)
      << s.err.str();
  std::size_t approvals = 0;
  for (std::size_t at = s.err.str().find("Fingerprint:"); at != std::string::npos;
       at = s.err.str().find("Fingerprint:", at + 1))
    ++approvals;
  EXPECT_EQ(approvals, 2u);
  EXPECT_EQ(versionAndCount(a + ".encrypted"), "Version: 1, Mottagare: 3 (filen säger inte vilka)");
  for (const std::string who : {"alice", "bob", "carol"}) {
    EXPECT_EQ(gui(OperationCode::kDecrypt, a + ".encrypted", path("by-" + who), who, "alice"), "") << who;
    EXPECT_EQ(test::ReadRaw(path("by-" + who)), "for the team") << who;
  }

  // The setting adds the sender; --no-to-self leaves her out for one command.
  ASSERT_EQ(cli(s, {"settings", "--to-self", "on"}), cli::kSuccess);
  ASSERT_EQ(cli(s, {"encrypt", "--to", bob(), a, "-o", path("with-me")}), cli::kSuccess) << s.err.str();
  EXPECT_EQ(versionAndCount(path("with-me")), "Version: 1, Mottagare: 2 (filen säger inte vilka)");
  EXPECT_EQ(gui(OperationCode::kDecrypt, path("with-me"), path("mine"), "alice", "alice"), "");
  ASSERT_EQ(cli(s, {"encrypt", "--to", bob(), "--no-to-self", a, "-o", path("for-bob")}), cli::kSuccess);
  EXPECT_EQ(versionAndCount(path("for-bob")), "Version: 0, Mottagare: 1");

  std::vector<std::string> tooMany{"encrypt", a, "-o", path("many")};
  for (int i = 0; i < 64; ++i) tooMany.insert(tooMany.end(), {"--to", bob()});
  const struct {
    std::vector<std::string> words;
    int status;
    std::string error;
  } refused[] = {
      {{"encrypt", "--to", bob(), "--to", carol, "--format", "oki", a, "-o", path("oki")},
       cli::kUsage,
       std::string("quillseal-cli: ") + MessageText(FileOutcome::kOkiOneRecipient) + "\n"},
      {{"encrypt", "--to", bob(), "--format", "oki", a, "-o", path("oki")},  // the setting is on
       cli::kUsage,
       std::string("quillseal-cli: ") + MessageText(FileOutcome::kOkiOneRecipient) + "\n"},
      {tooMany, cli::kUsage, ""},
      {{"encrypt", "--to", bob(), "--to-self", "--no-to-self", a, "-o", path("x")}, cli::kUsage, ""},
  };
  for (const auto& [words, status, error] : refused) {
    Streams r;
    EXPECT_EQ(answered(r, words, "j\nj\n"), status) << words.size();
    EXPECT_EQ(r.out.str(), "") << "asked nothing";
    if (!error.empty()) {
      EXPECT_EQ(r.err.str(), error);
    }
  }
  EXPECT_FALSE(platform::FileExists(path("oki")));
  EXPECT_FALSE(platform::FileExists(path("many")));
}

TEST_F(FileCommandsTest, SeveralSignaturesAndTheirVerificationsOneLineEach) {
  const std::string a = writeFile("a", "first");
  const std::string b = writeFile("b", "second");
  const std::string folder = path("signatures");
  Streams signing;
  EXPECT_EQ(cli(signing, {"sign", a, b, "-o", folder, "--message", "hej"}), cli::kSuccess)
      << signing.err.str();
  const std::string aSignature = platform::JoinPath(folder, "a_Alice.signature");
  const std::string bSignature = platform::JoinPath(folder, "b_Alice.signature");
  EXPECT_EQ(signing.out.str(), a + ": " + cli::cli_text::kSignedIn + " " + aSignature + "\n" + b + ": " +
                                   cli::cli_text::kSignedIn + " " + bSignature + "\n");

  Streams verifying;
  EXPECT_EQ(cli(verifying,
                {"verify", "--from", path("alice.certificate"), a, aSignature, a, bSignature, b, bSignature},
                {"Namn=alice Åkesson"}),
            cli::kRefused);
  const std::string shown = verifying.out.str();
  EXPECT_NE(shown.find(a + ": Signaturen OK. Tidstämpel: "), std::string::npos);
  EXPECT_NE(shown.find(". Meddelande: hej\n" + b + ": Signaturen OK."), std::string::npos);
  EXPECT_EQ(verifying.err.str(), "quillseal-cli: " + a + ": Signaturen stämmer ej mot den valda filen. " + a +
                                     ": filen har ändrats eller signaturen är inte gjord av avsändaren\n");

  // One pair is told as it always was.
  Streams one;
  EXPECT_EQ(cli(one, {"verify", "--from", path("alice.certificate"), b, bSignature}, {"Namn=alice Åkesson"}),
            cli::kSuccess);
  EXPECT_NE(one.out.str().find("Signaturen OK.\nTidstämpel: "), std::string::npos);
  EXPECT_NE(one.out.str().find("\nMeddelande: hej\n"), std::string::npos);
}

// With several --from, each file's signature shows which certificate is its sender's: that
// one alone is approved and named, and a file none of them signed is refused alone.
TEST_F(FileCommandsTest, SeveralSendersAreCandidatesAndOnlyTheOneWhoSignedIsApproved) {
  const std::string carol = writeCertificate("carol.certificate", "carol", {"Org"});
  const std::string fromBob = sealed("bob.encrypted", "bob", "alice", "from bob");
  const std::string fromCarol = sealed("carol.encrypted", "carol", "alice", "from carol");
  const std::string okiFromBob = sealed("bob-oki.encrypted", "bob", "alice", "oki from bob", Settings::kOki);
  const std::string signedByBob = writeFile("signed", "what bob signed");
  ASSERT_EQ(gui(OperationCode::kSign, signedByBob, path("signed.signature"), "bob", ""), "");

  Streams s;  // only bob's certification is expected: carol's would be refused if asked
  EXPECT_EQ(cli(s, {"decrypt", "--from", path("alice.certificate"), "--from", carol, "--from", bob(), fromBob,
                    okiFromBob, "-o", path("opened")}),
            cli::kSuccess)
      << s.err.str();
  EXPECT_EQ(test::ReadRaw(path("opened/bob")), "from bob");
  EXPECT_EQ(test::ReadRaw(path("opened/bob-oki")), "oki from bob");
  EXPECT_NE(s.out.str().find(fromBob + ": Avsändare: " + bob() + "\n"), std::string::npos) << s.out.str();
  EXPECT_NE(s.out.str().find(okiFromBob + ": Avsändare: " + bob() + "\n"), std::string::npos) << s.out.str();

  Streams verified;
  EXPECT_EQ(
      cli(verified, {"verify", "--from", carol, "--from", bob(), signedByBob, path("signed.signature")}),
      cli::kSuccess)
      << verified.err.str();
  EXPECT_EQ(verified.out.str().rfind("Avsändare: " + bob() + "\nSignaturen OK.\n", 0), 0u)
      << verified.out.str();

  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"decrypt", "--from", path("alice.certificate"), "--from", bob(), fromCarol, "-o", path("none")},
           {"verify", "--from", carol, "--from", path("alice.certificate"), signedByBob,
            path("signed.signature")}}) {
    Streams none;
    EXPECT_EQ(cli(none, words), cli::kRefused) << words[0];
    EXPECT_NE(none.err.str().find("Ingen av avsändarna i --from har signerat filen."), std::string::npos)
        << none.err.str();
  }
  EXPECT_FALSE(platform::FileExists(path("none")));
}

TEST_F(FileCommandsTest, ArgumentMistakesAreUsageErrorsBeforeAnythingIsDone) {
  const std::string a = writeFile("a.encrypted", "a");
  const std::string b = writeFile("b", "b");
  for (const std::vector<std::string>& words :
       std::vector<std::vector<std::string>>{{"verify", "--from", bob(), a, b, a},
                                             {"decrypt", "--from", bob(), a, b},
                                             {"decrypt", "--from", bob(), b},
                                             {"encrypt", "--to", bob(), "--compress", "--no-compress", b},
                                             {"encrypt", "--to", bob(), "--format", "zip", b},
                                             {"encrypt", b},
                                             {"sign"},
                                             // A folder gives no name for the decrypted file.
                                             {"decrypt", "--from", bob(), b, "-o", dir_.path()}}) {
    Streams s;
    EXPECT_EQ(cli(s, words), cli::kUsage) << words[0] << ' ' << words.back();
    EXPECT_EQ(s.out.str(), "");
  }
  // Text a record would hold as '?' is refused, naming the character, before any key is made.
  for (const auto& [words, shown] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"sign", "--message", "fest \xF0\x9F\x8E\x89", b},
            "--message: tecknet \"\xF0\x9F\x8E\x89\" (U+1F389)"},
           {{"keygen", "--name", "\xC5\x81ukasz", "--force"}, "--name: tecknet \"\xC5\x81\" (U+0141)"},
           {{"ca", "create", "--organisation", "\xC5\x81ódź", "-o", path("ca")},
            "--organisation: tecknet \"\xC5\x81\""},
           {{"ca", "certify", "--public-key", b, "--ca-key", b, "--field", "Namn=\xC5\x81ukasz"},
            "--field: tecknet \"\xC5\x81\""}}) {
    Streams s;
    EXPECT_EQ(cli(s, words), cli::kUsage) << words[0];
    EXPECT_EQ(s.err.str().rfind("quillseal-cli: " + shown, 0), 0u) << s.err.str();
  }
  EXPECT_FALSE(platform::FileExists(b + "_Alice.signature"));
  EXPECT_FALSE(platform::FileExists(path("ca.private_cert_key")));
  EXPECT_EQ(folderListing().find(".qs-tmp-"), std::string::npos);
  EXPECT_FALSE(platform::FileExists(b + ".encrypted"));
}

TEST_F(FileCommandsTest, OneFileIsToldAsBefore) {
  const std::string a = writeFile("a", "first");
  const std::string target = writeFile("kept", "an older file");
  Streams refused;
  EXPECT_EQ(cli(refused, {"encrypt", "--to", bob(), a, "-o", target}), cli::kFailure);
  EXPECT_EQ(refused.err.str(),
            "quillseal-cli: Filen finns redan: " + target + " (använd --force för att skriva över den).\n");
  EXPECT_EQ(test::ReadRaw(target), "an older file");
  Streams done;
  EXPECT_EQ(cli(done, {"encrypt", "--to", bob(), a, "-o", target, "--force"}), cli::kSuccess);
  EXPECT_EQ(done.err.str(), "");
  EXPECT_EQ(done.out.str().find(cli::cli_text::kEncryptedTo), std::string::npos);
  EXPECT_NE(test::ReadRaw(target), "an older file");
  // -o naming an existing folder puts the one output inside it.
  std::filesystem::create_directory(path("into"));
  EXPECT_EQ(cli(done, {"encrypt", "--to", bob(), a, "-o", path("into")}), cli::kSuccess) << done.err.str();
  EXPECT_TRUE(platform::FileExists(path("into/a.encrypted")));
}

// A file of an earlier writer, which does not bind its sender, decrypts with a warning line
// on standard error, named by its input among several.
TEST_F(FileCommandsTest, AFileThatDoesNotBindItsSenderDecryptsWithAWarning) {
  const std::string content = "from an older build";
  std::optional<WrittenHeader> header =
      WriteFileHeader(state_.generator, false, content.size(), test::KeyPairOf("bob").privateRecord,
                      test::KeyPairOf("alice").publicRecord);
  ASSERT_TRUE(header);
  {
    EncryptedFileWriter out(path("older.encrypted"), header->sessionKey.span(), &state_.generator);
    ByteBuffer chunk(reinterpret_cast<const std::uint8_t*>(content.data()),
                     static_cast<std::uint32_t>(content.size()));
    ASSERT_TRUE(out.begin(header->record, 1) && out.writeChunk(chunk) && out.commit());
  }
  const std::string bound = sealed("bound.encrypted", "bob", "alice", "new");
  Streams one;
  EXPECT_EQ(cli(one, {"decrypt", "--from", bob(), path("older.encrypted")}), cli::kSuccess);
  EXPECT_EQ(one.err.str(), std::string("quillseal-cli: ") + file_text::kSenderUnbound + "\n");
  EXPECT_EQ(test::ReadRaw(path("older")), content);
  Streams several;
  EXPECT_EQ(cli(several,
                {"decrypt", "--from", bob(), path("older.encrypted"), bound, "-o", path("out"), "--force"}),
            cli::kSuccess);
  EXPECT_EQ(several.err.str(),
            "quillseal-cli: " + path("older.encrypted") + ": " + file_text::kSenderUnbound + "\n");
}

// A script that runs "--yes encrypt --to bob.certificate" trusts whatever certified
// certificate lies at that path, unless it says whom it expects: then only a verified
// certification holding exactly those fields approves it.
TEST_F(FileCommandsTest, YesApprovesOnlyTheCertificateOfWhomTheCommandExpects) {
  const std::string plain = writeFile("plain", "text");
  const std::string fromBob = sealed("from-bob.encrypted", "bob", "alice", "from bob");
  const std::string signature = path("plain.signature");
  ASSERT_EQ(gui(OperationCode::kSign, plain, signature, "bob", ""), "");
  const std::string carol = writeCertificate("carol.certificate", "carol", {"Org"});
  const std::string untrusted = writeCertificate("untrusted.certificate", "bob", {"Beta"});
  const std::string out = path("out");
  const std::vector<std::function<std::vector<std::string>(const std::string&)>> commands{
      [&](const std::string& c) { return std::vector<std::string>{"encrypt", "--to", c, plain, "-o", out}; },
      [&](const std::string& c) {
        return std::vector<std::string>{"decrypt", "--from", c, fromBob, "-o", out};
      },
      [&](const std::string& c) {
        return std::vector<std::string>{"verify", "--from", c, plain, signature};
      },
  };
  struct Case {
    std::vector<std::string> expected;
    std::string certificate;
    const char* refusal;  // nothing when approved
  };
  const std::vector<Case> cases{
      {{}, bob(), cli::cli_text::kYesNeedsExpectation},
      {{"Namn=carol Åkesson"}, bob(), cli::cli_text::kExpectedFieldsNotCertified},
      {{"Namn=bob Åkesson"}, carol, cli::cli_text::kExpectedFieldsNotCertified},
      {{"Namn=bob"}, bob(), cli::cli_text::kExpectedFieldsNotCertified},
      {{"Namn=bob Åkesson", "E-post=carol@example.se"}, bob(), cli::cli_text::kExpectedFieldsNotCertified},
      {{"Namn=bob Åkesson"}, untrusted, cli::cli_text::kExpectedFieldsNotCertified},
      {{"Namn=bob Åkesson"}, bob(), nullptr},
      {{"E-post=bob@example.se", "Namn=bob Åkesson"}, bob(), nullptr},
  };
  for (const auto& command : commands) {
    for (const Case& c : cases) {
      const std::vector<std::string> words = command(c.certificate);
      SCOPED_TRACE(words[0] + " " + FileNamePart(c.certificate) + " " + std::to_string(c.expected.size()));
      Streams s;
      EXPECT_EQ(cli(s, words, c.expected), c.refusal ? cli::kNotApproved : cli::kSuccess) << s.err.str();
      if (c.refusal) {
        EXPECT_EQ(s.err.str(), std::string("quillseal-cli: ") + c.refusal + "\n");
        EXPECT_FALSE(platform::FileExists(out));
      }
      platform::RemoveFile(out);
    }
  }
}

// An untrusted authority's organisation is written by the certificate's sender: padded to
// wrap into lines of a verified certification, with controls and bidirectional overrides.
// The approval text shows none of it.
TEST_F(FileCommandsTest, TheApprovalTextShowsNothingOfAnUnverifiedOrganisation) {
  const std::u16string padding(200, u' ');
  const WideText hostile(u"Evil" + padding + u"  Status:       Hittade nyckel" + padding +
                         u"    Namn: Alice\x1B[2K\r\n\x81\x9D\u202E\u200B");
  const std::string certificate = writeCertificateOf(
      "mixed.certificate", "bob",
      {certificationBy("Evil", "bob", test::Fields({{"Namn", "Alice"}}), 1700000000, hostile),
       certificationBy("Org", "bob", test::OwnerFields("bob"), 1700000000)});
  Streams s;
  EXPECT_EQ(cli(s, {"encrypt", "--to", certificate, writeFile("plain", "text")}, {"Namn=bob Åkesson"}, false),
            cli::kSuccess)
      << s.err.str();
  EXPECT_EQ(s.out.str(), "");
  EXPECT_EQ(s.err.str(),
            "Certifieringar:\n"
            "  Organisation: (ej verifierad)\n"
            "  Nyckel-ID:    " +
                HexString(test::AuthorityKeyId("Evil")) +
                "\n"
                "  Status:       Ingen betrodd nyckel hittades\n"
                "  Tidstämpel:   --\n"
                "  Organisation: Org\n"
                "  Nyckel-ID:    " +
                HexString(test::AuthorityKeyId("Org")) +
                "\n"
                "  Status:       Hittade nyckel\n"
                "  Tidstämpel:   " +
                FormatTimestamp(1700000000).str() +
                "\n"
                "    Namn: bob Åkesson\n"
                "    E-post: bob@example.se\n"
                "Fingerprint: " +
                HexString(*ComputeFingerprint(test::KeyPairOf("bob").publicRecord)) + "\n");
  // inspect shows what the file holds, unchecked, but escaped and on its own line.
  std::istringstream in;
  std::ostringstream report;
  cli::Io io{in, report, report, false, false};
  EXPECT_EQ(cli::Run({"inspect", certificate}, io), cli::kSuccess);
  EXPECT_FALSE(test::HoldsRawControls(report.str()));
  EXPECT_NE(report.str().find("  Organisation: Evil "), std::string::npos);
}

// The holder chose to put the older of two differing certifications of one authority first.
TEST_F(FileCommandsTest, DifferingCertificationsOfOneAuthorityAreShownNewestFirstWithAWarning) {
  const std::string certificate = writeCertificateOf(
      "bob.certificate", "bob",
      {certificationBy("Org", "bob", test::Fields({{"Namn", "bob Åkesson"}, {"Roll", "Styrelse"}}),
                       1600000000),
       certificationBy("Org", "bob", test::Fields({{"Namn", "bob Åkesson"}, {"Roll", "Medlem"}}),
                       1700000000)});
  const std::string plain = writeFile("plain", "text");
  Streams s;
  EXPECT_EQ(cli(s, {"encrypt", "--to", certificate, plain, "-o", path("out")}, {"Namn=bob Åkesson"}, false),
            cli::kSuccess)
      << s.err.str();
  const std::string warning = std::string("quillseal-cli: ") + key_text::kConflictingCertifications +
                              HexString(test::AuthorityKeyId("Org")) + "\n";
  EXPECT_EQ(s.err.str().rfind(warning, 0), 0u) << s.err.str();
  const std::string shown = s.err.str();
  EXPECT_LT(shown.find("Roll: Medlem"), shown.find("Roll: Styrelse"));
  EXPECT_LT(shown.find(FormatTimestamp(1700000000).str()), shown.find(FormatTimestamp(1600000000).str()));
  // The authority's newest word is the one a script can expect.
  Streams older;
  EXPECT_EQ(cli(older, {"encrypt", "--to", certificate, plain, "-o", path("older")}, {"Roll=Styrelse"}),
            cli::kNotApproved);
  EXPECT_FALSE(platform::FileExists(path("older")));
}

// A received file named to erase its own failure line and print a success line in its place.
TEST_F(FileCommandsTest, FileNamesAreShownEscapedInEveryLineTheCommandLineWrites) {
#ifdef _WIN32
  const std::string hostile =
      "\xC2\x9B"
      "2K\xE2\x80\xAE"
      "txt\xE2\x80\x8B";  // no C0 control in a Windows name
#else
  const std::string hostile = "\x1B[2K\r\xC2\x9B\nquillseal-cli: OK \xE2\x80\xAE";
#endif
  const std::string a = writeFile(hostile + "a", "first");
  const std::string b = writeFile(hostile + "b", "second");
  const std::string missing = path(hostile + "missing");
  // Each run with what its lines must say; nothing raw may stand in stdout or stderr.
  const auto run = [&](std::vector<std::string> words, const std::string& out, const std::string& err,
                       const std::vector<std::string>& expected = {"Namn=bob Åkesson"}, bool quiet = true) {
    Streams s;
    cli(s, words, expected, quiet);
    EXPECT_FALSE(test::HoldsRawControls(s.out.str() + s.err.str())) << words[0];
    if (!out.empty()) {
      EXPECT_NE(s.out.str().find(out), std::string::npos) << s.out.str();
    }
    if (quiet) {
      EXPECT_EQ(s.err.str(), err) << words[0];
    } else {
      EXPECT_NE(s.err.str().find(err), std::string::npos) << s.err.str();
    }
  };
  const std::string exists = "quillseal-cli: Filen finns redan: ";
  const std::string force = " (använd --force för att skriva över den).\n";
  run({"encrypt", "--to", bob(), a, missing, b},
      VisibleText(a) + ": krypterad till " + VisibleText(a + ".encrypted") + "\n" + VisibleText(b) +
          ": krypterad till " + VisibleText(b + ".encrypted") + "\n",
      "quillseal-cli: " + VisibleText(missing) + ": Fel vid läsning av källfilen. " + VisibleText(missing) +
          ": filen finns inte\n");
  run({"encrypt", "--to", bob(), a, b}, "",
      exists + VisibleText(a + ".encrypted") + force + exists + VisibleText(b + ".encrypted") + force);
  run({"encrypt", "--to", bob(), a, "-o", a + ".encrypted"}, "",
      exists + VisibleText(a + ".encrypted") + force);
  run({"encrypt", "--to", bob(), a, b, "-o", a + "/folder"}, "",
      "quillseal-cli: Kunde inte skapa mappen: " + VisibleText(a + "/folder") + "\n");

  const std::string x = sealed(hostile + "x.encrypted", "bob", "alice", "ex");
  const std::string y = sealed(hostile + "y.encrypted", "bob", "alice", "why");
  const std::string opened = path(hostile + "opened");
  run({"decrypt", "--from", bob(), x, y, "-o", opened},
      VisibleText(x) + ": dekrypterad till " + VisibleText(platform::JoinPath(opened, hostile + "x")) + "\n",
      "");
  run({"decrypt", "--from", bob(), x, a}, "",
      "quillseal-cli: " + VisibleText(a) + " slutar inte på .encrypted\nSe 'quillseal-cli --help'.\n");

  const std::string signatures = path(hostile + "signatures");
  run({"sign", a, b, "-o", signatures},
      VisibleText(a) + ": signerad i " +
          VisibleText(platform::JoinPath(signatures, hostile + "a_Alice.signature")) + "\n",
      "");
  const std::string aSignature = platform::JoinPath(signatures, hostile + "a_Alice.signature");
  run({"verify", "--from", path("alice.certificate"), a, aSignature, b, aSignature},
      VisibleText(a) + ": Signaturen OK. Tidstämpel: ",
      "quillseal-cli: " + VisibleText(b) + ": Signaturen stämmer ej mot den valda filen. " + VisibleText(b) +
          ": filen har ändrats eller signaturen är inte gjord av avsändaren\n",
      {"Namn=alice Åkesson"});

  run({"inspect", missing}, "",
      "quillseal-cli: Kunde inte läsa filen: " + VisibleText(missing) + ": filen finns inte\n");
  run({"inspect", a}, "",
      "quillseal-cli: Okänd filtyp: " + VisibleText(a) + " är ingen fil som Quillseal skriver.\n");
  const std::string publicKey = path(hostile + ".public_key");
  run({"key", "export", "-o", publicKey}, VisibleText(publicKey) + "\n", "");
  const std::string backup = path(hostile + ".key_backup");
  run({"key", "backup", "-o", backup}, "\n" + VisibleText(backup) + "\n",
      std::string(key_text::kBackupWarning) + "\n");
  const std::string ca = path(hostile + "ca");
  run({"ca", "create", "--organisation", "Org", "--bits", "2048", "-o", ca},
      VisibleText(ca + ".private_cert_key") + "\n" + VisibleText(ca + ".public_cert_key") + "\n", "");
  const std::string certification = path(hostile + ".certification");
  run({"ca", "certify", "--public-key", publicKey, "--ca-key", ca + ".private_cert_key", "--field", "Namn=A",
       "-o", certification},
      "", "Certifiering av " + VisibleText(publicKey) + ":\n", {}, false);
  run({"certificate", "create", certification, "-o", path(hostile + ".certificate")},
      VisibleText(path(hostile + ".certificate")) + "\n", "");
}

// Two outputs of one command in one place would leave only the second: refused before
// anything is written, with --force too. So is an output that is another task's input.
TEST_F(FileCommandsTest, OutputsOfOneCommandNeverLandOnEachOtherOrOnItsInputs) {
  std::filesystem::create_directory(path("d1"));
  std::filesystem::create_directory(path("d2"));
  const std::string first = writeFile("d1/x.txt", "the first file");
  const std::string second = writeFile("d2/x.txt", "the second file");
  const std::string out = path("out");
  const std::string again = dir_.path() + "/./d1/x.txt";  // the same input, spelt otherwise
  const std::string sealedX = sealed("x.encrypted", "bob", "alice", "ex");
  const std::string twice = sealed("x.encrypted.encrypted", "bob", "alice", "ex");
  const std::string sealedBytes = test::ReadRaw(sealedX);
  struct Case {
    std::vector<std::string> words;
    std::string named;  // the output the message names
  };
  for (const Case& c : std::vector<Case>{
           {{"encrypt", "--to", bob(), first, second, "-o", out}, platform::JoinPath(out, "x.txt.encrypted")},
           {{"encrypt", "--to", bob(), first, second, "-o", out, "--force"},
            platform::JoinPath(out, "x.txt.encrypted")},
           {{"encrypt", "--to", bob(), first, again}, again + ".encrypted"},
           {{"sign", first, first, "--force"}, first + "_Alice.signature"},
           {{"decrypt", "--from", bob(), twice, sealedX}, sealedX},
       }) {
    Streams s;
    SCOPED_TRACE(c.words[3]);
    EXPECT_EQ(cli(s, c.words), cli::kUsage);
    EXPECT_NE(s.err.str().find(c.named), std::string::npos) << s.err.str();
    EXPECT_EQ(s.out.str(), "");
  }
  EXPECT_FALSE(platform::FileExists(out)) << "not even the folder is made";
  EXPECT_FALSE(platform::FileExists(first + ".encrypted"));
  EXPECT_EQ(test::ReadRaw(sealedX), sealedBytes);
  EXPECT_EQ(folderListing().find(".qs-tmp-"), std::string::npos);
}

// Reads as a terminal would, and makes a file appear just before the answer is given: after
// the command has looked for its outputs, before any of them is written.
class AnswerAfterMaking : public std::streambuf {
 public:
  AnswerAfterMaking(std::string path, std::string answer)
      : path_(std::move(path)), answer_(std::move(answer)) {}

 protected:
  int_type underflow() override {
    if (!made_) {
      test::WriteRaw(path_, "made meanwhile");
      made_ = true;
      setg(answer_.data(), answer_.data(), answer_.data() + answer_.size());
      return traits_type::to_int_type(answer_[0]);
    }
    return traits_type::eof();
  }

 private:
  std::string path_;
  std::string answer_;
  bool made_ = false;
};

// Without --force an output that appears after the command looked is kept: each task looks
// again when it starts (and its output is put in place only where nothing stands then).
TEST_F(FileCommandsTest, AnOutputThatAppearsAfterTheCheckIsKept) {
  const std::string a = writeFile("a", "first");
  const std::string b = writeFile("b", "second");
  const std::string late = b + ".encrypted";
  AnswerAfterMaking answer(late, "j\n");
  std::istream in(&answer);
  std::ostringstream out;
  std::ostringstream err;
  cli::Io io{in, out, err, true, false};
  writeCertificate("uncertified.certificate", "bob", {});
  EXPECT_EQ(cli::Run({"--workdir", dir_.path(), "--quiet", "encrypt", "--to", path("uncertified.certificate"),
                      a, b},
                     io),
            cli::kFailure);
  EXPECT_EQ(test::ReadRaw(late), "made meanwhile");
  EXPECT_TRUE(platform::FileExists(a + ".encrypted"));
  EXPECT_NE(out.str().find(a + ": krypterad till " + a + ".encrypted\n"), std::string::npos);
  EXPECT_EQ(err.str().substr(err.str().find("quillseal-cli: ")),
            "quillseal-cli: " + b + ": Filen finns redan: " + late +
                " (använd --force för att skriva över den).\n");
  EXPECT_EQ(folderListing().find(".qs-tmp-"), std::string::npos);
}

}  // namespace
}  // namespace qs
