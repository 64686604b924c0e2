// The passphrase dialog and the source that runs it: what it says, what it gives, and when
// it stops asking.
#include "app/passphrase_dialog.h"

#include <gtest/gtest.h>

#include "app/dialog_passphrases.h"
#include "app/resource_ids.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kWrongLine[] = "Fel lösenfras. Försök igen.";

using PassphraseDialogTest = test::AppTest;

TEST_F(PassphraseDialogTest, ThePromptNamesTheFileAndTheWrongLineShowsOnlyOnARetry) {
  for (const bool retry : {false, true}) {
    PassphraseDialog dialog("C:\\Nycklar\\acme.private_cert_key", retry, &main());
    ui_.onDialog(IDD_PASSPHRASE, [retry](test::FakeView& v) {
      EXPECT_EQ(v.placement(), "centred on 101");
      EXPECT_EQ(v.text(IDC_PASSPHRASE_PROMPT),
                "Nyckeln i acme.private_cert_key är skyddad med en lösenfras. Skriv lösenfrasen:");
      EXPECT_EQ(v.text(IDC_PASSPHRASE_WRONG), retry ? kWrongLine : "");
      v.close();
    });
    EXPECT_EQ(ui_.runDialog(IDD_PASSPHRASE, dialog, &main()), 0);
  }
}

TEST_F(PassphraseDialogTest, OkGivesTheTypedTextAndEveryOtherEndGivesNothing) {
  struct Case {
    const char* what;
    std::function<void(test::FakeView&)> end;
    int result;
  };
  const std::vector<Case> cases = {
      {"OK", [](test::FakeView& v) { v.click(IDC_PASSPHRASE_OK); }, 1},
      {"Avbryt", [](test::FakeView& v) { v.click(IDC_PASSPHRASE_CANCEL); }, 0},
      {"Escape", [](test::FakeView& v) { v.pressEscape(); }, 0},
      {"close", [](test::FakeView& v) { v.close(); }, 0},
  };
  for (const Case& c : cases) {
    PassphraseDialog dialog("priv_key.bin", false, &main());
    ui_.onDialog(IDD_PASSPHRASE, [&c](test::FakeView& v) {
      // OK on an empty field keeps the dialog open.
      v.click(IDC_PASSPHRASE_OK);
      EXPECT_FALSE(v.ended());
      v.type(IDC_PASSPHRASE_TEXT, "hemlig fras åäö");
      c.end(v);
      EXPECT_TRUE(v.ended());
      EXPECT_EQ(v.text(IDC_PASSPHRASE_TEXT), "") << "emptied before the end";
    });
    EXPECT_EQ(ui_.runDialog(IDD_PASSPHRASE, dialog, &main()), c.result) << c.what;
    EXPECT_EQ(dialog.passphrase(), c.result == 1 ? "hemlig fras åäö" : "") << c.what;
  }
}

TEST_F(PassphraseDialogTest, TheSourceStopsAfterACancelOrAfterItsTries) {
  DialogPassphrases source(ui_, &main());
  answerPassphrase(std::nullopt);
  EXPECT_EQ(source.passphrase("priv_key.bin", false), std::nullopt);

  // Each new file gets the full number of tries again.
  for (int file = 0; file < 2; ++file) {
    for (int i = 0; i < DialogPassphrases::kTries; ++i) answerPassphrase("fras " + std::to_string(i));
    for (int i = 0; i < DialogPassphrases::kTries; ++i)
      EXPECT_EQ(source.passphrase("priv_key.bin", i > 0), "fras " + std::to_string(i));
    EXPECT_EQ(source.passphrase("priv_key.bin", true), std::nullopt) << "no dialog after the last try";
  }
  EXPECT_EQ(ui_.logOf("dialog 127@101").size(), 1u + 2u * DialogPassphrases::kTries);
  EXPECT_EQ(passphraseLines_[0], "");
  EXPECT_EQ(passphraseLines_[1], "");
  EXPECT_EQ(passphraseLines_[2], kWrongLine);
}

}  // namespace
}  // namespace qs
