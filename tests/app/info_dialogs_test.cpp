// The information dialogs: the stored key pair's fields, restoring a backup and creating a new
// pair behind the overwrite question, and the two dialogs that only show their resource.
#include "app/info_dialogs.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "tests/app/app_fixture.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kOverwrite[] =
    "warn ask@104: Det finns redan ett lagrat nyckelpar. Vill du skriva över det nyckelparet?";
constexpr char kRestoreDialog[] =
    "open@104: Välj säkerhetskopia... | Säkerhetskopieras privat nyckel (*.key_backup)|*.key_backup | "
    "key_backup | ";

std::string FingerprintOf(const std::string& owner) {
  return HexString(*ComputeFingerprint(test::KeyPairOf(owner).publicRecord));
}

class KeyPairInfoDialogTest : public test::AppTest {
 protected:
  void open(test::FakeUi::Script script) {
    ui_.onDialog(IDD_KEY_PAIR_INFO, std::move(script));
    main().click(IDM_KEY_PAIR_INFO);
  }

  // A backup of the named pair, made while it was stored; then bob's pair is stored.
  std::string backupOf(const std::string& owner) {
    storeKeyPair(owner, owner + " key");
    const std::string backup = writeFile(owner + ".key_backup", test::ReadRaw(path("priv_key.bin")));
    storeKeyPair("bob", "bob key");
    return backup;
  }
};

TEST_F(KeyPairInfoDialogTest, ShowsTheStoredKeyPair) {
  storeKeyPair("alice", "work key");
  open([](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "centred on 101");
    EXPECT_EQ(v.text(IDC_KEY_INFO_NAME), "work key");
    EXPECT_EQ(v.text(IDC_KEY_INFO_ENCRYPTION), "RSA 2048bit");
    EXPECT_EQ(v.text(IDC_KEY_INFO_SIGNING), "RSA 4096bit");
    EXPECT_EQ(v.text(IDC_KEY_INFO_FINGERPRINT), FingerprintOf("alice"));
    v.click(IDC_KEY_INFO_CLOSE);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 104@101", "end 104: 1"}));
}

TEST_F(KeyPairInfoDialogTest, WithoutAKeyPairCreatingAsksNothing) {
  state_.keyGenCertificationMode = true;
  ui_.onDialog(IDD_KEY_PAIR, [](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_KEY_PAIR_NAME_LABEL), "") << "a user key pair, not a certification key pair";
    v.click(IDC_KEY_PAIR_CANCEL);
  });
  open([](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_KEY_INFO_FINGERPRINT), "Nyckel saknas");
    EXPECT_EQ(v.text(IDC_KEY_INFO_NAME), "");
    v.click(IDC_KEY_INFO_CREATE);
    v.close();
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 104@101", "dialog 109@104", "end 109: 0", "end 104: 1"}));
  EXPECT_FALSE(state_.keyGenCertificationMode);
}

TEST_F(KeyPairInfoDialogTest, DecliningTheQuestionChangesNothing) {
  storeKeyPair("alice", "a");
  const std::string stored = test::ReadRaw(path("priv_key.bin"));
  ui_.answer(ui::Answer::kNo);
  ui_.answer(ui::Answer::kNo);
  open([](test::FakeView& v) {
    v.setText(IDC_KEY_INFO_NAME, "marker");  // a refill would overwrite it
    v.click(IDC_KEY_INFO_RESTORE);
    v.click(IDC_KEY_INFO_CREATE);
    EXPECT_EQ(v.text(IDC_KEY_INFO_NAME), "marker");
    v.close();
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 104@101", kOverwrite, kOverwrite, "end 104: 1"}));
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored);
}

TEST_F(KeyPairInfoDialogTest, RestoringABackupShowsItsFingerprint) {
  const std::string backup = backupOf("alice");
  ui_.answer(ui::Answer::kYes);
  ui_.chooseFile(backup);
  open([](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_KEY_INFO_FINGERPRINT), FingerprintOf("bob"));
    v.click(IDC_KEY_INFO_RESTORE);
    EXPECT_EQ(v.text(IDC_KEY_INFO_NAME), "alice key");
    EXPECT_EQ(v.text(IDC_KEY_INFO_FINGERPRINT), FingerprintOf("alice"));
    v.close();
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 104@101", kOverwrite, kRestoreDialog, "end 104: 1"}));
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), test::ReadRaw(backup));
}

// Only a file holding a matching key pair replaces the stored one.
TEST_F(KeyPairInfoDialogTest, ABackupThatHoldsNoKeyPairIsRefused) {
  storeKeyPair("alice", "a");
  const std::string stored = test::ReadRaw(path("priv_key.bin"));
  const StoredKeyPair mixed{test::KeyPairOf("alice").privateRecord, test::KeyPairOf("bob").publicRecord,
                            KeyNameText("mixed")};
  const std::string mixedFile = writeKeyFile("mixed.key_backup", EncodeStoredKeyPair(mixed));
  ui_.answer(ui::Answer::kYes);
  ui_.chooseFile(mixedFile);
  ui_.answer(ui::Answer::kYes);
  ui_.chooseFile(path("missing.key_backup"));
  ui_.answer(ui::Answer::kYes);
  ui_.chooseFile(std::nullopt);
  open([](test::FakeView& v) {
    v.click(IDC_KEY_INFO_RESTORE);
    v.click(IDC_KEY_INFO_RESTORE);
    v.click(IDC_KEY_INFO_RESTORE);
    EXPECT_EQ(v.text(IDC_KEY_INFO_FINGERPRINT), FingerprintOf("alice"));
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@104: Fel: Kunde inte läsa säkerhetskopian.\n" +
                                         path("mixed.key_backup") + ": filen innehåller inget nyckelpar",
                                     "error@104: Fel: Kunde inte läsa säkerhetskopian.\n" +
                                         path("missing.key_backup") + ": filen finns inte"}));
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored);
}

TEST_F(KeyPairInfoDialogTest, CreatingANewPairAsksFirstAndOpensOnTopOfTheDialog) {
  storeKeyPair("alice", "a");
  ui_.answer(ui::Answer::kYes);
  ui_.onDialog(IDD_KEY_PAIR, [](test::FakeView& v) { v.click(IDC_KEY_PAIR_CANCEL); });
  open([](test::FakeView& v) {
    v.click(IDC_KEY_INFO_CREATE);
    v.close();
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 104@101", kOverwrite, "dialog 109@104", "end 109: 0", "end 104: 1"}));
}

TEST_F(KeyPairInfoDialogTest, EncryptionInformationAndAboutCloseEitherWay) {
  for (const auto& [menu, dialog, button] :
       {std::tuple{IDM_ENCRYPTION_INFO, IDD_ENCRYPTION_INFO, IDC_ENCRYPTION_INFO_CLOSE},
        std::tuple{IDM_ABOUT, IDD_ABOUT, IDC_ABOUT_OK}}) {
    ui_.onDialog(dialog, [button](test::FakeView& v) {
      EXPECT_EQ(v.placement(), "centred on 101");
      v.click(button);
    });
    ui_.onDialog(dialog, [](test::FakeView& v) { v.close(); });
    main().click(menu);
    main().click(menu);
  }
  EXPECT_EQ(ui_.log(), (Log{"dialog 114@101", "end 114: 1", "dialog 114@101", "end 114: 1", "dialog 111@101",
                            "end 111: 1", "dialog 111@101", "end 111: 1"}));
}

}  // namespace
}  // namespace qs
