// The key-pair creation dialog in both modes: its opening, the mouse count, creation on the
// worker, cancelling, and the saving of a certification key pair.
#include "app/key_pair_dialog.h"

#include <gtest/gtest.h>

#include <new>

#include "app/resource_ids.h"
#include "base/whole_file.h"
#include "keys/cert_keys.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "platform/file.h"
#include "platform/file_fault.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;
using Items = std::vector<std::pair<std::string, int>>;

const Items kAlgorithms{{"RSA 2048bit", 0}, {"RSA 3072bit", 1}, {"RSA 4096bit", 2}};

class KeyPairDialogTest : public test::AppTest {
 protected:
  explicit KeyPairDialogTest(bool credited = true) : AppTest(credited) {}

  // Opens the dialog (parent: the main window) with the script; its result.
  int open(bool certificationMode, test::FakeUi::Script script) {
    state_.keyGenCertificationMode = certificationMode;
    KeyPairDialog dialog(ui_, state_);
    ui_.onDialog(IDD_KEY_PAIR, std::move(script));
    return ui_.runDialog(IDD_KEY_PAIR, dialog, &main());
  }

  // Makes the dialog ready and asks for a key named name; the worker runs after the script.
  static void create(test::FakeView& v, const std::string& name) {
    v.mouseMoves(1025);
    v.type(IDC_KEY_PAIR_NAME, name);
    v.click(IDC_KEY_PAIR_CREATE);
  }
};

TEST_F(KeyPairDialogTest, UserModeOpening) {
  open(false, [](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "centred on 101");
    EXPECT_FALSE(v.hasIcon());
    EXPECT_EQ(v.control(IDC_KEY_PAIR_ENCRYPTION).items, kAlgorithms);
    EXPECT_EQ(v.control(IDC_KEY_PAIR_SIGNING).items, kAlgorithms);
    EXPECT_EQ(v.selectedComboValue(IDC_KEY_PAIR_ENCRYPTION), 0);
    EXPECT_EQ(v.selectedComboValue(IDC_KEY_PAIR_SIGNING), 0);
    EXPECT_TRUE(v.isEnabled(IDC_KEY_PAIR_ENCRYPTION));
    EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_CREATE));
    EXPECT_EQ(v.control(IDC_KEY_PAIR_BAR).high, 1024);
    EXPECT_EQ(v.text(IDC_KEY_PAIR_NAME_LABEL), "") << "the resource's label stays";
    v.click(IDC_KEY_PAIR_CANCEL);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101", "end 109: 0"}));
}

TEST_F(KeyPairDialogTest, CertificationModeOpening) {
  open(true, [](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_KEY_PAIR_NAME_LABEL), "Namn på organisation:");
    EXPECT_TRUE(v.control(IDC_KEY_PAIR_ENCRYPTION).items.empty());
    EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_ENCRYPTION));
    EXPECT_EQ(v.control(IDC_KEY_PAIR_SIGNING).items, kAlgorithms);
    v.close();
  });
}

TEST_F(KeyPairDialogTest, FirstRunCentresOnTheScreenWithTheIconOnce) {
  state_.keyGenFirstRun = true;
  open(false, [this](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "screen");
    EXPECT_TRUE(v.hasIcon());
    EXPECT_FALSE(state_.keyGenFirstRun);
    v.close();
  });
}

TEST_F(KeyPairDialogTest, TheMouseCountReadiesCreationOnce) {
  open(false, [this](test::FakeView& v) {
    v.mouseMoves(1);
    EXPECT_EQ(v.text(IDC_KEY_PAIR_COUNTER), "0 / 1024");
    v.mouseMoves(1022);
    EXPECT_EQ(v.text(IDC_KEY_PAIR_COUNTER), "1022 / 1024");
    v.mouseMoves(1);  // the 1024th
    EXPECT_EQ(v.text(IDC_KEY_PAIR_COUNTER), "1023 / 1024");
    EXPECT_EQ(v.control(IDC_KEY_PAIR_BAR).position, 1024);
    EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_CREATE));
    EXPECT_FALSE(platform::FileExists(path("rand.bin")));
    v.mouseMoves(1);  // the 1025th
    EXPECT_TRUE(v.isEnabled(IDC_KEY_PAIR_CREATE));
    EXPECT_EQ(v.text(IDC_KEY_PAIR_COUNTER), "");
    EXPECT_EQ(v.control(IDC_KEY_PAIR_BAR).position, 1025);
    EXPECT_TRUE(platform::FileExists(path("rand.bin")));
    // Later moves only feed the generator.
    platform::RemoveFile(path("rand.bin"));
    const std::uint32_t credit = state_.generator.credit();
    v.mouseMoves(5);
    EXPECT_EQ(v.text(IDC_KEY_PAIR_COUNTER), "");
    EXPECT_FALSE(platform::FileExists(path("rand.bin")));
    EXPECT_EQ(state_.generator.credit(), credit + 5);
    v.close();
  });
}

TEST_F(KeyPairDialogTest, AnEmptyNameIsRefusedAndTheDialogStays) {
  for (bool certificationMode : {false, true}) {
    ui_.clearLog();
    open(certificationMode, [](test::FakeView& v) {
      v.mouseMoves(1025);
      v.click(IDC_KEY_PAIR_CREATE);
      EXPECT_FALSE(v.ended());
      EXPECT_TRUE(v.isEnabled(IDC_KEY_PAIR_CREATE));
      v.close();
    });
    EXPECT_EQ(ui_.log()[1], certificationMode ? "error@109: Du måste skriva in ett namn på organisationen."
                                              : "error@109: Du måste skriva in ett namn på nyckeln.");
  }
}

TEST_F(KeyPairDialogTest, CreatesAndStoresTheUsersKeyPair) {
  storeKeyPair("alice", "old");  // replaced without a question: the caller asked
  state_.keyGen.overwrite = platform::Overwrite::kReplace;
  EXPECT_EQ(open(false,
                 [this](test::FakeView& v) {
                   create(v, "Min nyckel");
                   EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_CREATE));
                   EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_NAME));
                   EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_ENCRYPTION));
                   EXPECT_FALSE(v.isEnabled(IDC_KEY_PAIR_SIGNING));
                   EXPECT_EQ(v.text(IDC_KEY_PAIR_HINT),
                             "Vänta medan nyckelparet genereras. Detta kan ta flera minuter.");
                   EXPECT_EQ(v.text(IDC_KEY_PAIR_WARNING), "");
                   EXPECT_TRUE(v.control(IDC_KEY_PAIR_BAR).marquee);
                   EXPECT_TRUE(state_.keyGen.busy);
                 }),
            1);
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101", "end 109: 1"}));
  KeyCause unopened;
  const std::optional<StoredKeyPair> stored = OpenStoredKeyPair(dir_.path(), nullptr, unopened);
  ASSERT_TRUE(stored);
  EXPECT_EQ(DisplayText(stored->keyName), "Min nyckel");
  EXPECT_TRUE(HoldsKeyPair(*stored));
  const std::optional<KeyTypes> types = ReadKeyTypes(stored->publicRecord);
  ASSERT_TRUE(types);
  EXPECT_EQ(types->encryption, 0);
  EXPECT_EQ(types->signing, 0);
}

// Asked about none (none was stored), the new key pair replaces none: one that another program
// stored while this one was generated stays, and the user is told.
TEST_F(KeyPairDialogTest, AKeyPairStoredMeanwhileIsKept) {
  storeKeyPair("alice", "stored by another program");
  state_.keyGen.overwrite = platform::Overwrite::kNever;
  EXPECT_EQ(open(false, [](test::FakeView& v) { create(v, "Min nyckel"); }), 0);
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101",
                            "error@109: Ett annat program har sparat ett nyckelpar under tiden. Det har inte "
                            "skrivits över.",
                            "end 109: 0"}));
  EXPECT_EQ(DisplayText(ReadStoredKeyPair(dir_.path())->keyName), "stored by another program");
}

TEST_F(KeyPairDialogTest, CancelWhileGeneratingEndsSilentlyOnceTheWorkerStops) {
  EXPECT_EQ(open(false,
                 [this](test::FakeView& v) {
                   create(v, "x");
                   v.click(IDC_KEY_PAIR_CANCEL);
                   v.close();
                   EXPECT_FALSE(v.ended());
                   EXPECT_EQ(state_.keyGen.progress.cancel, 1);
                 }),
            0);
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101", "end 109: 0"}));
  EXPECT_FALSE(platform::FileExists(path("priv_key.bin")));
}

TEST_F(KeyPairDialogTest, AnUnwritableKeyFileOrAnExceptionIsReported) {
  const std::string folder = state_.workingFolder;
  state_.workingFolder = path("missing-folder");
  open(false, [](test::FakeView& v) { create(v, "x"); });
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101",
                            "error@109: Fel: Kunde inte spara ned krypteringsnyckeln.\n" +
                                path("missing-folder") + ": mappen finns inte",
                            "end 109: 0"}));

  // Out of memory while the key file is written: a failed generation, and no file.
  ui_.clearLog();
  state_.workingFolder = folder;
  open(false, [](test::FakeView& v) {
    create(v, "x");
    platform::ThrowAtNthFileCall(1, [] { throw std::bad_alloc(); });  // the worker's first
  });
  EXPECT_TRUE(platform::InjectedFileFaultHit());
  platform::FailNthFileCall(0);
  EXPECT_EQ(ui_.log(),
            (Log{"dialog 109@101", "error@109: Fel: Kunde inte skapa krypteringsnyckel.", "end 109: 0"}));
  EXPECT_FALSE(platform::FileExists(path("priv_key.bin")));
}

class KeyPairDialogWithoutEntropy : public KeyPairDialogTest {
 protected:
  KeyPairDialogWithoutEntropy() : KeyPairDialogTest(false) {}
};

// The dialog counts messages, also repeats at one position, which the generator does not
// credit: creation may start, but generation then fails.
TEST_F(KeyPairDialogWithoutEntropy, GenerationFailuresAreReported) {
  for (bool certificationMode : {false, true}) {
    ui_.clearLog();
    open(certificationMode, [](test::FakeView& v) {
      for (int i = 0; i < 1025; ++i) v.mouseMove(7, 7);
      v.type(IDC_KEY_PAIR_NAME, "x");
      v.click(IDC_KEY_PAIR_CREATE);
    });
    EXPECT_EQ(ui_.log(), (Log{"dialog 109@101",
                              certificationMode ? "error@109: Fel: Kunde inte skapa krypteringsnycklar."
                                                : "error@109: Fel: Kunde inte skapa krypteringsnyckel.",
                              "end 109: 0"}));
  }
  EXPECT_EQ(state_.generator.credit(), 1u);
  EXPECT_FALSE(platform::FileExists(path("rand.bin"))) << "nothing worth saving";
}

TEST_F(KeyPairDialogTest, CertificationKeyPairIsSavedWhereTheUserSaysAndMayBeTrusted) {
  ui_.chooseFile(path("acme.private_cert_key"));
  ui_.chooseFile(path("acme.public_cert_key"));
  ui_.answer(ui::Answer::kYes);
  EXPECT_EQ(open(true, [](test::FakeView& v) { create(v, "Acme Test"); }), 1);

  ByteStream publicFile;
  ASSERT_TRUE(ReadWholeFile(publicFile, path("acme.public_cert_key")));
  const std::optional<CertKeyHeader> header = ReadCertKeyHeader(publicFile.bytes);
  ASSERT_TRUE(header);
  EXPECT_EQ(DisplayText(header->organisation), "Acme Test");
  const std::string suggestion = "Acme_Test_" + HexString(header->keyId);
  EXPECT_EQ(ui_.log(),
            (Log{"dialog 109@101",
                 "save@109: Välj plats för den privata certifieringsnyckeln... | Privat certifieringsnyckel "
                 "(*.private_cert_key)|*.private_cert_key | private_cert_key | " +
                     suggestion,
                 "save@109: Välj plats för den publika certifieringsnyckeln... | Publik certifieringsnyckel "
                 "(*.public_cert_key)|*.public_cert_key | public_cert_key | " +
                     suggestion,
                 "ask@109: Vill du lägga till den nya publika certifieringsnyckeln som en betrodd nyckel i "
                 "programmet?",
                 "end 109: 1"}));
  EXPECT_TRUE(platform::FileExists(path("acme.private_cert_key")));
  const std::optional<std::vector<ByteBuffer>> trusted = ReadTrustedKeyList(dir_.path());
  ASSERT_TRUE(trusted);
  ASSERT_EQ(trusted->size(), 1u);
  EXPECT_TRUE(trusted->front().equals(publicFile.bytes));
}

TEST_F(KeyPairDialogTest, CertificationKeyPairSavingCanBeDeclined) {
  // The second file dialog is cancelled: nothing is written.
  ui_.chooseFile(path("acme.private_cert_key"));
  ui_.chooseFile(std::nullopt);
  EXPECT_EQ(open(true, [](test::FakeView& v) { create(v, "Acme"); }), 0);
  EXPECT_EQ(ui_.logOf("end"), (Log{"end 109: 0"}));
  EXPECT_EQ(folderListing(), "qs.lock\nrand.bin\n");

  // Saved, but not trusted.
  ui_.clearLog();
  ui_.chooseFile(path("acme.private_cert_key"));
  ui_.chooseFile(path("acme.public_cert_key"));
  ui_.answer(ui::Answer::kNo);
  EXPECT_EQ(open(true, [](test::FakeView& v) { create(v, "Acme"); }), 1);
  EXPECT_EQ(folderListing(), "acme.private_cert_key\nacme.public_cert_key\nqs.lock\nrand.bin\n");
  EXPECT_FALSE(platform::FileExists(path("cert_key_list.bin")));
}

}  // namespace
}  // namespace qs
