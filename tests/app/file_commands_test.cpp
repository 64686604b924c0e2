// The four file commands of the main window, from the name field to the finished file.
#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "app/resource_ids.h"
#include "formats/oki_file.h"
#include "keys/key_store.h"
#include "operations/messages.h"
#include "platform/file.h"
#include "platform/file_fault.h"
#include "tests/app/app_fixture.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using namespace std::string_literals;
using Log = std::vector<std::string>;

constexpr char kNoSource[] = "error@101: Du måste ange ett filnamn på källfilen!";
constexpr char kNoKeys[] = "error@101: Fel: Kunde inte hämta krypteringsnycklar!";
constexpr char kRecipientDialog[] =
    "open several@101: Välj mottagarens certifikat... | Certifikat (*.certificate)|*.certificate | "
    "certificate | ";
constexpr char kSenderDialog[] =
    "open@101: Välj sändarens certifikat... | Certifikat (*.certificate)|*.certificate | certificate | ";

std::string EncryptSave(const std::string& suggestion) {
  return "save@101: Välj plats för den krypterade filen... | Krypterad fil (*.encrypted)|*.encrypted | "
         "encrypted | " +
         suggestion;
}

std::string DecryptSave(const std::string& suggestion) {
  return "save@101: Välj plats för filen... | Alla filer (*.*)|*.* |  | " + suggestion;
}

// Which of the test key pairs a "PublicKey" record is of.
std::string OwnerOf(const ByteBuffer& record) {
  for (const char* name : {"alice", "bob", "carol"}) {
    if (test::KeyPairOf(name).publicRecord.equals(record)) return name;
  }
  return "unknown";
}

// config.bin with these bytes.
std::string Config(const std::string& bytes) {
  return std::string(1, static_cast<char>(bytes.size())) + std::string(3, '\0') + bytes;
}

class FileCommands : public test::AppTest {
 protected:
  void SetUp() override { storeKeyPair("alice", "work key"); }

  // Runs a command on the name in the field; the progress dialog runs its worker unless a
  // script is given.
  void run(int command, const std::string& source) {
    main().type(IDC_MAIN_FILE_NAME, source);
    main().click(command);
  }

  void expectProgress() {
    ui_.onDialog(IDD_PROGRESS, [](test::FakeView&) {});
  }

  // Alice encrypts source for bob into target, approving bob's certificate.
  void encryptForBob(const std::string& source, const std::string& target) {
    approveCertificate(writeCertificate("bob.certificate", "bob"));
    ui_.chooseFile(target);
    expectProgress();
    run(IDC_MAIN_ENCRYPT, source);
  }

  // Alice chooses these certificates as recipients, all at once; the approvals asked get
  // these answers in turn.
  void chooseRecipients(const std::vector<std::string>& certificates, const std::vector<bool>& answers) {
    ui_.chooseFiles(certificates);
    for (const bool approve : answers) {
      ui_.onDialog(IDD_APPROVAL,
                   [approve](test::FakeView& v) { v.click(approve ? IDC_APPROVAL_YES : IDC_APPROVAL_NO); });
    }
  }

  // The progress dialog, noting whom its request encrypts for, in order.
  void expectProgressFor(std::vector<std::string>& recipients) {
    ui_.onDialog(IDD_PROGRESS, [this, &recipients](test::FakeView&) {
      recipients.clear();
      for (const ByteBuffer& record : RecipientsOf(state_.operation)) recipients.push_back(OwnerOf(record));
    });
  }

  // The main window as the command line opens it, with the request carried out once it
  // shows; the name field afterwards goes to startedName_.
  void startWith(StartRequest request) {
    MainDialog started(ui_, state_, std::move(request));
    test::FakeView view(ui_, IDD_MAIN, started);
    started.onInit(view);
    EXPECT_EQ(view.text(IDC_MAIN_FILE_NAME), "") << "before the window shows";
    view.runWorkers();
    startedName_ = view.text(IDC_MAIN_FILE_NAME);
    state_.mainWindow = &main();
  }

  // Alice signs source into target, with no message.
  void sign(const std::string& source, const std::string& target) {
    ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CONTINUE); });
    ui_.chooseFile(target);
    expectProgress();
    run(IDC_MAIN_SIGN, source);
    ui_.clearLog();
  }

  std::string startedName_;

  // Bob (or who), holding his key pair now, decrypts source from alice into target.
  void decryptFromAlice(const std::string& source, const std::string& target,
                        const std::string& who = "bob") {
    storeKeyPair(who, who + " key");
    approveCertificate(writeCertificate("alice.certificate", "alice"));
    ui_.chooseFile(target);
    expectProgress();
    run(IDC_MAIN_DECRYPT, source);
  }
};

TEST_F(FileCommands, EncryptThenDecryptRunsEveryStepInOrderAndClearsTheName) {
  const std::string content(5000, 'q');
  encryptForBob(writeFile("doc.pdf", content), path("doc.pdf.encrypted"));
  EXPECT_EQ(ui_.log(), (Log{kRecipientDialog, "dialog 115@101", "end 115: 1",
                            EncryptSave("doc.pdf.encrypted"), "dialog 113@101", "pause 1000", "end 113: 1"}));
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "");
  EXPECT_TRUE(state_.operation.ownPrivateKey.empty()) << "keys outlive the operation";

  ui_.clearLog();
  decryptFromAlice(path("doc.pdf.encrypted"), path("copy.pdf"));
  EXPECT_EQ(ui_.log(), (Log{kSenderDialog, "dialog 115@101", "end 115: 1", DecryptSave("doc.pdf"),
                            "dialog 113@101", "pause 1000", "end 113: 1"}));
  EXPECT_EQ(test::ReadRaw(path("copy.pdf")), content);
}

TEST_F(FileCommands, UnicodeFileNamesWorkLikeAnyOther) {
  for (const std::string name : {"€-rapport.pdf", "отчёт.txt"}) {
    storeKeyPair("alice", "work key");
    ui_.clearLog();
    encryptForBob(writeFile(name, "innehåll " + name), path(name + ".encrypted"));
    EXPECT_EQ(ui_.log()[3], EncryptSave(name + ".encrypted"));
    ui_.clearLog();
    decryptFromAlice(path(name + ".encrypted"), path("ut-" + name));
    EXPECT_EQ(ui_.log()[3], DecryptSave(name));
    EXPECT_EQ(test::ReadRaw(path("ut-" + name)), "innehåll " + name);
  }
}

TEST_F(FileCommands, EncryptingAnEncryptedFileAgainNeedsAYes) {
  ui_.answer(ui::Answer::kNo);
  run(IDC_MAIN_ENCRYPT, writeFile("report.encrypted", "x"));
  EXPECT_EQ(ui_.log(), (Log{"ask@101: Vill du kryptera filen ytterligare en gång?"}));

  // A true suffix test: the name may hold the suffix twice.
  ui_.clearLog();
  ui_.answer(ui::Answer::kYes);
  encryptForBob(writeFile("x.encrypted", "data"), path("x.encrypted.encrypted"));
  ASSERT_EQ(ui_.log().size(), 8u);
  EXPECT_EQ(ui_.log()[0], "ask@101: Vill du kryptera filen ytterligare en gång?");
  EXPECT_EQ(ui_.log()[4], EncryptSave("x.encrypted.encrypted"));
  ui_.clearLog();
  ui_.answer(ui::Answer::kYes);
  encryptForBob(path("x.encrypted.encrypted"), path("x.encrypted.encrypted.encrypted"));
  EXPECT_EQ(ui_.log()[0], "ask@101: Vill du kryptera filen ytterligare en gång?");

  ui_.clearLog();
  decryptFromAlice(path("x.encrypted.encrypted.encrypted"), path("back.encrypted.encrypted"));
  EXPECT_EQ(ui_.log()[3], DecryptSave("x.encrypted.encrypted"));
  EXPECT_TRUE(test::ReadRaw(path("back.encrypted.encrypted")) ==
              test::ReadRaw(path("x.encrypted.encrypted")));

  ui_.clearLog();
  approveCertificate(writeCertificate("bob.certificate", "bob"));
  ui_.chooseFile(std::nullopt);
  run(IDC_MAIN_ENCRYPT, writeFile("a.encrypted.txt", "x"));  // no question
  EXPECT_EQ(ui_.log().front(), kRecipientDialog);
}

TEST_F(FileCommands, DecryptSuggestsTheNameWithoutItsSuffix) {
  const std::string certificate = writeCertificate("alice.certificate", "alice");
  for (const auto& [source, suggestion] :
       {std::pair<std::string, std::string>{"doc.pdf.encrypted", "doc.pdf"},
        {"doc.bin", "doc.bin"},
        {"x.encrypted.encrypted", "x.encrypted"},
        {".encrypted", ".encrypted"}}) {  // no name to keep
    ui_.clearLog();
    approveCertificate(certificate);
    ui_.chooseFile(std::nullopt);  // cancelling the save dialog ends the command
    run(IDC_MAIN_DECRYPT, writeFile(source, "x"));
    EXPECT_EQ(ui_.log(), (Log{kSenderDialog, "dialog 115@101", "end 115: 1", DecryptSave(suggestion)}));
  }
}

// A source that cannot be read is told at once, under the message its operation would end
// with: before the questions about its suffix, the signing message and the certificate.
TEST_F(FileCommands, AnUnreadableSourceIsToldBeforeAnythingIsAsked) {
  struct Command {
    int button;
    const char* suffix;  // one that asks a question first when the source is fine
    const char* message;
  };
  struct Source {
    std::string path;
    const char* cause;
    bool openFails;  // as when the system refuses it
  };
  for (const Command& command :
       {Command{IDC_MAIN_ENCRYPT, ".encrypted", "Fel vid läsning av källfilen."},
        Command{IDC_MAIN_DECRYPT, ".encrypted", "Fel vid läsning av fil."},
        Command{IDC_MAIN_SIGN, ".signature", "Fel vid signering av fil."},
        Command{IDC_MAIN_VERIFY, ".signature", "Signaturen stämmer ej mot den valda filen."}}) {
    const std::string folder = path(std::string("mapp") + command.suffix);
    ASSERT_TRUE(platform::CreateFolder(folder));
    for (const Source& source :
         {Source{path(std::string("borta") + command.suffix), ": filen finns inte", false},
          Source{folder, ": det är en mapp, inte en fil", false},
          // The fault switch's failure, which reads as a full disk.
          Source{writeFile(std::string("låst") + command.suffix, "x"), ": disken är full", true}}) {
      ui_.clearLog();
      main().type(IDC_MAIN_FILE_NAME, source.path);
      if (source.openFails) platform::FailNthFileCall(1);
      main().click(command.button);
      platform::FailNthFileCall(0);
      EXPECT_EQ(ui_.log(),
                (Log{std::string("error@101: ") + command.message + "\n" + source.path + source.cause}));
      EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), source.path) << "the name stays for correcting";
    }
  }
}

TEST_F(FileCommands, EmptyNameFieldStopsEveryCommandWithOneMessage) {
  for (int command : {IDC_MAIN_ENCRYPT, IDC_MAIN_DECRYPT, IDC_MAIN_SIGN, IDC_MAIN_VERIFY}) {
    ui_.clearLog();
    run(command, "");
    EXPECT_EQ(ui_.log(), (Log{kNoSource})) << command;
  }
  // A name that is nothing but a control character counts as empty.
  ui_.clearLog();
  run(IDC_MAIN_VERIFY, "\t");
  EXPECT_EQ(ui_.log(), (Log{kNoSource}));
}

class FileCommandsWithoutEntropy : public test::AppTest {
 protected:
  FileCommandsWithoutEntropy() : AppTest(false) {}
};

TEST_F(FileCommandsWithoutEntropy, EncryptAndSignFirstCheckTheGenerator) {
  for (int command : {IDC_MAIN_ENCRYPT, IDC_MAIN_SIGN}) {
    ui_.clearLog();
    main().type(IDC_MAIN_FILE_NAME, "");
    main().click(command);
    EXPECT_EQ(ui_.log(), (Log{"error@101: Fel: Slumptalsgeneratorn är inte initierad!"}));
  }
  // Decrypt and Verify need no random bytes.
  ui_.clearLog();
  main().click(IDC_MAIN_DECRYPT);
  EXPECT_EQ(ui_.log(), (Log{kNoSource}));
}

TEST_F(FileCommands, SignThenVerifyShowsTheMessageAndTimestamp) {
  const std::string source = writeFile("plan.txt", std::string(30000, 'p'));
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) {
    v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
    v.type(IDC_SIGNING_MESSAGE, "Hej\r\nvärlden");
    v.click(IDC_SIGNING_CONTINUE);
  });
  ui_.chooseFile(path("plan.sig"));
  expectProgress();
  run(IDC_MAIN_SIGN, source);
  EXPECT_EQ(ui_.log(),
            (Log{"dialog 117@101", "end 117: 1",
                 "save@101: Välj plats för signaturfilen... | Signaturfil (*.signature)|*.signature | "
                 "signature | plan.txt_work_key.signature",
                 "dialog 113@101", "pause 1000", "end 113: 1"}));
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "");

  ui_.clearLog();
  approveCertificate(writeCertificate("alice.certificate", "alice"));
  ui_.chooseFile(path("plan.sig"));
  expectProgress();
  ui_.onDialog(IDD_SIGNATURE_RESULT, [this](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_RESULT_MESSAGE), "Hej  världen");
    EXPECT_EQ(v.text(IDC_RESULT_TIMESTAMP).size(), 16u);  // YYYY-MM-DD HH:MM
    EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), path("plan.txt")) << "cleared before the result was shown";
    v.click(IDC_RESULT_OK);
  });
  run(IDC_MAIN_VERIFY, source);
  EXPECT_EQ(ui_.log(),
            (Log{kSenderDialog, "dialog 115@101", "end 115: 1",
                 "open@101: Välj signaturfil... | Signaturfil (*.signature)|*.signature | signature | ",
                 "dialog 113@101", "pause 1000", "dialog 118@113", "end 118: 1", "end 113: 1"}));
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "");
}

TEST_F(FileCommands, TheCommandLinesFileIsDroppedAndItsVerbPressesItsButton) {
  const std::string file = writeFile("rapport ö.pdf", "x");
  const struct {
    std::optional<FileVerb> verb;
    Log log;
  } cases[] = {
      {std::nullopt, {}},
      {FileVerb::kEncrypt, {kRecipientDialog}},
      {FileVerb::kDecrypt, {kSenderDialog}},
      {FileVerb::kSign, {"dialog 117@101", "end 117: 0"}},
      {FileVerb::kVerify, {kSenderDialog}},
  };
  for (const auto& c : cases) {
    ui_.clearLog();
    if (c.verb == FileVerb::kSign) {
      ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CANCEL); });
    } else if (c.verb) {
      ui_.chooseFile(std::nullopt);  // no certificate
    }
    startWith({file, c.verb});
    EXPECT_EQ(ui_.log(), c.log);
    EXPECT_EQ(startedName_, file);
  }
}

TEST_F(FileCommands, VerifyingASignatureFileFromTheCommandLineVerifiesTheFileBesideIt) {
  const std::string source = writeFile("plan_2024.txt", std::string(30000, 'p'));
  writeFile("plan", "another file");
  sign(source, path("plan_2024.txt_work_key.signature"));
  approveCertificate(writeCertificate("alice.certificate", "alice"));
  expectProgress();
  ui_.onDialog(IDD_SIGNATURE_RESULT, [&](test::FakeView& v) {
    EXPECT_EQ(state_.mainWindow->text(IDC_MAIN_FILE_NAME), source);
    v.click(IDC_RESULT_OK);
  });
  startWith({path("plan_2024.txt_work_key.signature"), FileVerb::kVerify});
  EXPECT_EQ(ui_.log(), (Log{kSenderDialog, "dialog 115@101", "end 115: 1", "dialog 113@101", "pause 1000",
                            "dialog 118@113", "end 118: 1", "end 113: 1"}));
}

TEST_F(FileCommands, ASignatureFileWithoutItsFileBesideItAsksForTheFile) {
  const std::string signature = writeFile("borta.txt_work_key.signature", "x");
  const std::string asked = "open@101: Välj filen som signaturen gäller... | Alla filer (*.*)|*.* |  | ";
  ui_.chooseFile(std::nullopt);
  startWith({signature, FileVerb::kVerify});
  EXPECT_EQ(ui_.log(), (Log{asked}));
  EXPECT_EQ(startedName_, "");

  ui_.clearLog();
  const std::string chosen = writeFile("annan.txt", "y");
  ui_.chooseFile(chosen);
  ui_.chooseFile(std::nullopt);
  startWith({signature, FileVerb::kVerify});
  EXPECT_EQ(ui_.log(), (Log{asked, kSenderDialog}));
  EXPECT_EQ(startedName_, chosen);

  // Without the verb a signature file is only dropped.
  ui_.clearLog();
  startWith({signature, std::nullopt});
  EXPECT_EQ(ui_.log(), Log{});
  EXPECT_EQ(startedName_, signature);
}

TEST_F(FileCommands, SigningOntoTheDocumentItselfFailsAndKeepsIt) {
  const std::string source = writeFile("plan.txt", "the only copy");
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CONTINUE); });
  ui_.chooseFile(source);
  expectProgress();
  run(IDC_MAIN_SIGN, source);
  EXPECT_EQ(ui_.log().back(),
            "error@101: Fel vid signering av fil.\n" + source + ": målfilen är samma fil som källfilen");
  EXPECT_EQ(test::ReadRaw(source), "the only copy");
}

TEST_F(FileCommands, SigningOrVerifyingASignatureFileNeedsAYes) {
  const std::string signature = writeFile("plan.signature", "x");
  ui_.answer(ui::Answer::kNo);
  run(IDC_MAIN_SIGN, signature);
  ui_.answer(ui::Answer::kNo);
  run(IDC_MAIN_VERIFY, signature);
  EXPECT_EQ(ui_.log(),
            (Log{"ask@101: Vill du signera den digitala signaturen?",
                 "ask@101: Källfilen är en signaturfil, antagligen vill du välja den andra filen som "
                 "datakälla istället. Vill du verkligen verifiera en signatur över en signaturfil? "}));

  // Yes goes on; cancelling the signing message ends the command.
  ui_.clearLog();
  ui_.answer(ui::Answer::kYes);
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CANCEL); });
  run(IDC_MAIN_SIGN, signature);
  EXPECT_EQ(ui_.log(),
            (Log{"ask@101: Vill du signera den digitala signaturen?", "dialog 117@101", "end 117: 0"}));
}

TEST_F(FileCommands, KeySelectionFailuresAndRefusals) {
  // An unreadable certificate.
  ui_.chooseFile(path("missing.certificate"));
  run(IDC_MAIN_ENCRYPT, writeFile("a.txt", "a"));
  EXPECT_EQ(ui_.log(), (Log{kRecipientDialog, std::string(kNoKeys) + "\n" + path("missing.certificate") +
                                                  ": filen finns inte"}));

  // Cancelling the certificate dialog, or refusing the certificate, ends silently.
  ui_.clearLog();
  ui_.chooseFile(std::nullopt);
  main().click(IDC_MAIN_DECRYPT);
  approveCertificate(writeCertificate("bob.certificate", "bob"), false);
  main().click(IDC_MAIN_VERIFY);
  EXPECT_EQ(ui_.log(), (Log{kSenderDialog, kSenderDialog, "dialog 115@101",
                            "warn@115: Du bör bara använda certifikat som är pålitliga.", "end 115: 0"}));

  // Without a stored key pair the approval comes first, the failure after it.
  platform::RemoveFile(path("priv_key.bin"));
  ui_.clearLog();
  approveCertificate(path("bob.certificate"));
  main().click(IDC_MAIN_ENCRYPT);
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CONTINUE); });
  main().click(IDC_MAIN_SIGN);
  const std::string noKeyPair =
      std::string(kNoKeys) + "\n" + state_.file(kKeyPairFileName) + ": filen finns inte";
  EXPECT_EQ(ui_.log(), (Log{kRecipientDialog, "dialog 115@101", "end 115: 1", noKeyPair, "dialog 117@101",
                            "end 117: 1", noKeyPair}));
}

TEST_F(FileCommands, APassphraseLockedKeyPairIsAskedForWhereItsPrivateKeyIsUsed) {
  storeKeyPair("alice", "work key", "alices fras");
  const std::string source = writeFile("plan.txt", "planen");
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CONTINUE); });
  answerPassphrase("alices fras");
  ui_.chooseFile(path("plan.sig"));
  expectProgress();
  run(IDC_MAIN_SIGN, source);
  EXPECT_EQ(ui_.logOf("dialog"), (Log{"dialog 117@101", "dialog 127@101", "dialog 113@101"}));
  EXPECT_TRUE(platform::FileExists(path("plan.sig")));

  // Verifying needs the signer's key alone: no passphrase dialog is scripted, none may open.
  ui_.clearLog();
  approveCertificate(writeCertificate("alice.certificate", "alice"));
  ui_.chooseFile(path("plan.sig"));
  expectProgress();
  ui_.onDialog(IDD_SIGNATURE_RESULT, [](test::FakeView& v) { v.click(IDC_RESULT_OK); });
  run(IDC_MAIN_VERIFY, source);
  EXPECT_EQ(ui_.logOf("dialog"), (Log{"dialog 115@101", "dialog 113@101", "dialog 118@113"}));

  // Cancelling the passphrase ends the command without a word and with nothing written.
  ui_.clearLog();
  const std::string before = folderListing();
  ui_.onDialog(IDD_SIGNING_MESSAGE, [](test::FakeView& v) { v.click(IDC_SIGNING_CONTINUE); });
  answerPassphrase(std::nullopt);
  run(IDC_MAIN_SIGN, source);
  EXPECT_EQ(ui_.log(), (Log{"dialog 117@101", "end 117: 1", "dialog 127@101", "end 127: 0"}));
  EXPECT_EQ(folderListing(), before);
}

TEST_F(FileCommands, AWrongPassphraseIsAskedAgainUntilItIsRightOrTheUserGivesUp) {
  const std::string source = writeFile("plan.txt", std::string(5000, 'q'));
  encryptForBob(source, path("plan.txt.encrypted"));
  storeKeyPair("bob", "bob key", "bobs fras");
  const std::string certificate = writeCertificate("alice.certificate", "alice");

  ui_.clearLog();
  approveCertificate(certificate);
  answerPassphrase("fel");
  answerPassphrase("bobs fras");
  ui_.chooseFile(path("plan.out"));
  expectProgress();
  run(IDC_MAIN_DECRYPT, path("plan.txt.encrypted"));
  EXPECT_EQ(passphraseLines_, (Log{"", "Fel lösenfras. Försök igen."}));
  EXPECT_EQ(test::ReadRaw(path("plan.out")), test::ReadRaw(source));

  // A cancel after a wrong one is a wrong passphrase, and told as the failure it is.
  ui_.clearLog();
  approveCertificate(certificate);
  answerPassphrase("fel");
  answerPassphrase(std::nullopt);
  run(IDC_MAIN_DECRYPT, path("plan.txt.encrypted"));
  EXPECT_EQ(ui_.log().back(),
            std::string(kNoKeys) + "\n" + state_.file(kKeyPairFileName) + ": fel lösenfras för nyckeln");
}

TEST_F(FileCommands, EncryptionFollowsTheSettingsAndDecryptionTheFile) {
  test::WriteRaw(path("config.bin"), std::string("\x02\0\0\0\x01\x01", 6));  // OKI-format, compression
  std::string status;
  approveCertificate(writeCertificate("bob.certificate", "bob"));
  ui_.chooseFile(path("oki.encrypted"));
  ui_.onDialog(IDD_PROGRESS, [&status](test::FakeView& v) { status = v.text(IDC_PROGRESS_STATUS); });
  run(IDC_MAIN_ENCRYPT, writeFile("a.txt", "OKI-innehåll"));
  EXPECT_EQ(status, "Krypterar...");
  FileResult why;
  EXPECT_EQ(DetectEncryptedFormat(path("oki.encrypted"), why), EncryptedFormat::kOki);

  decryptFromAlice(path("oki.encrypted"), path("a-igen.txt"));
  EXPECT_EQ(test::ReadRaw(path("a-igen.txt")), "OKI-innehåll");

  // The next encryption reads config.bin again.
  test::WriteRaw(path("config.bin"), std::string("\x02\0\0\0\x00\x01", 6));
  storeKeyPair("alice", "work key");
  approveCertificate(path("bob.certificate"));
  ui_.chooseFile(path("native.encrypted"));
  ui_.onDialog(IDD_PROGRESS, [&status](test::FakeView& v) { status = v.text(IDC_PROGRESS_STATUS); });
  run(IDC_MAIN_ENCRYPT, path("a.txt"));
  EXPECT_EQ(status, "Komprimerar och krypterar...");
  EXPECT_EQ(DetectEncryptedFormat(path("native.encrypted"), why), EncryptedFormat::kNative);
}

// Several certificates are chosen in one dialog and approved one after the other; the
// first is the request's peer, the others follow in the order chosen.
TEST_F(FileCommands, EncryptingForSeveralApprovesEachCertificateAndTheNextEncryptionStartsAfresh) {
  const std::string bob = writeCertificate("bob.certificate", "bob");
  const std::string carol = writeCertificate("carol.certificate", "carol");
  const std::string source = writeFile("team.txt", "för hela gruppen");
  std::vector<std::string> recipients;
  chooseRecipients({carol, bob}, {true, true});
  ui_.chooseFile(path("team.encrypted"));
  expectProgressFor(recipients);
  run(IDC_MAIN_ENCRYPT, source);
  EXPECT_EQ(ui_.log(),
            (Log{kRecipientDialog, "dialog 115@101", "end 115: 1", "dialog 115@101", "end 115: 1",
                 EncryptSave("team.txt.encrypted"), "dialog 113@101", "pause 1000", "end 113: 1"}));
  EXPECT_EQ(recipients, (std::vector<std::string>{"carol", "bob"}));
  EXPECT_TRUE(state_.operation.furtherRecipients.empty()) << "recipients outlive the operation";

  // One certificate, as before: nobody is left over from the last encryption.
  chooseRecipients({bob}, {true});
  ui_.chooseFile(path("bob.encrypted"));
  expectProgressFor(recipients);
  run(IDC_MAIN_ENCRYPT, source);
  EXPECT_EQ(recipients, (std::vector<std::string>{"bob"}));

  // With the setting on, the user's own key comes last, after those chosen.
  test::WriteRaw(path("config.bin"), Config("\x00\x00\x01"s));
  chooseRecipients({bob, carol}, {true, true});
  ui_.chooseFile(path("self.encrypted"));
  expectProgressFor(recipients);
  run(IDC_MAIN_ENCRYPT, source);
  EXPECT_EQ(recipients, (std::vector<std::string>{"bob", "carol", "alice"}));

  // Each recipient decrypts with their own key, the sender too when encrypting to herself;
  // one not chosen cannot.
  const struct {
    const char* file;
    const char* who;
    bool decrypts;
  } reads[] = {{"team.encrypted", "bob", true},    {"team.encrypted", "carol", true},
               {"team.encrypted", "alice", false}, {"bob.encrypted", "carol", false},
               {"self.encrypted", "alice", true},  {"self.encrypted", "carol", true}};
  for (const auto& read : reads) {
    ui_.clearLog();
    const std::string target = path(std::string(read.who) + "-" + read.file + ".txt");
    decryptFromAlice(path(read.file), target, read.who);
    if (read.decrypts) {
      EXPECT_EQ(test::ReadRaw(target), "för hela gruppen") << read.who << " " << read.file;
    } else {
      EXPECT_EQ(ui_.log().back(),
                "error@101: Krypteringsfel, kontrollera format på fil eller om rätt sändande "
                "certifikat har använts.\n" +
                    path(read.file) + ": filen är krypterad för en annan nyckel eller skadad")
          << read.who << " " << read.file;
      EXPECT_FALSE(platform::FileExists(target));
    }
  }
}

// A refusal or a failure at any certificate ends the command there: no later certificate is
// read, no target asked for, no file written.
TEST_F(FileCommands, ADeclinedOrFailingRecipientEndsTheEncryptionWithNothingWritten) {
  const std::string bob = writeCertificate("bob.certificate", "bob");
  const std::string carol = writeCertificate("carol.certificate", "carol");
  const std::string missing = path("borta.certificate");
  const std::string source = writeFile("plan.txt", "p");
  const std::string declined = "warn@115: Du bör bara använda certifikat som är pålitliga.";
  const struct {
    std::vector<std::string> chosen;
    std::vector<bool> answers;
    Log log;
  } cases[] = {
      {{bob, carol}, {false}, {kRecipientDialog, "dialog 115@101", declined, "end 115: 0"}},
      {{bob, carol},
       {true, false},
       {kRecipientDialog, "dialog 115@101", "end 115: 1", "dialog 115@101", declined, "end 115: 0"}},
      {{bob, missing, carol},
       {true},
       {kRecipientDialog, "dialog 115@101", "end 115: 1",
        std::string(kNoKeys) + "\n" + missing + ": filen finns inte"}},
  };
  const std::string before = folderListing();
  for (const auto& c : cases) {
    ui_.clearLog();
    chooseRecipients(c.chosen, c.answers);
    run(IDC_MAIN_ENCRYPT, source);
    EXPECT_EQ(ui_.log(), c.log);
    EXPECT_EQ(folderListing(), before);
    EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), source);
  }
}

// Too many recipients, or more than one for the OKI-format (the user's own key counted), is
// told as soon as the certificates are chosen, before any of them is read or approved.
TEST_F(FileCommands, RecipientsTheFileCannotTakeAreRefusedBeforeAnyApproval) {
  const std::string bob = writeCertificate("bob.certificate", "bob");
  const std::string carol = writeCertificate("carol.certificate", "carol");
  const std::string tooMany =
      "error@101: En fil kan krypteras till högst 64 mottagare, du själv inräknad när du krypterar även "
      "till dig själv. Välj färre certifikat.";
  const std::string oki = std::string("error@101: ") + MessageText(FileOutcome::kOkiOneRecipient);
  const std::vector<std::string> sixtyFour(64, bob);
  std::vector<std::string> sixtyFive = sixtyFour;
  sixtyFive.push_back(carol);
  const struct {
    std::string config;  // format, compression, to oneself
    std::vector<std::string> chosen;
    Log log;
  } cases[] = {
      {"\x00\x00"s, sixtyFive, {kRecipientDialog, tooMany}},
      {"\x00\x00\x01"s, sixtyFour, {kRecipientDialog, tooMany}},
      {"\x01\x00\x01"s, sixtyFive, {kRecipientDialog, tooMany}},
      {"\x01\x00"s, {bob, carol}, {kRecipientDialog, oki}},
      {"\x01\x00\x01"s, {bob}, {kRecipientDialog, oki}},
      // As many as may be: on to the first approval, which is declined here.
      {"\x00\x00"s,
       sixtyFour,
       {kRecipientDialog, "dialog 115@101", "warn@115: Du bör bara använda certifikat som är pålitliga.",
        "end 115: 0"}},
      {"\x00\x00\x01"s,
       {bob},
       {kRecipientDialog, "dialog 115@101", "warn@115: Du bör bara använda certifikat som är pålitliga.",
        "end 115: 0"}},
  };
  const std::string source = writeFile("plan.txt", "p");
  for (const auto& c : cases) {
    ui_.clearLog();
    test::WriteRaw(path("config.bin"), Config(c.config));
    chooseRecipients(c.chosen, c.log.size() > 2 ? std::vector<bool>{false} : std::vector<bool>{});
    run(IDC_MAIN_ENCRYPT, source);
    EXPECT_EQ(ui_.log(), c.log) << c.chosen.size();
  }
}

}  // namespace
}  // namespace qs
