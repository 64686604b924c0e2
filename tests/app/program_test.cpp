// Start-up: the working folder, the first-run questions and the entropy dialog, up to the
// main window.
#include "app/program.h"

#include <gtest/gtest.h>

#include "app/entropy_dialog.h"
#include "app/resource_ids.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "platform/file.h"
#include "platform/working_folder.h"
#include "tests/app/fake_ui.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kOffer[] =
    "ask@-: Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?";

class ProgramTest : public ::testing::Test {
 protected:
  int run() { return RunProgram(ui_, generator_, dir_.path()); }

  void expectMainWindow() {
    ui_.onDialog(IDD_MAIN, [](test::FakeView& v) {
      EXPECT_EQ(v.placement(), "screen");
      EXPECT_TRUE(v.hasIcon());
      EXPECT_TRUE(v.acceptsFiles());
      v.click(IDC_MAIN_QUIT);
    });
  }

  void storeKeyPair() {
    const test::TestKeyPair& alice = test::KeyPairOf("alice");
    ASSERT_EQ(KeyOutcome::kOk,
              WriteStoredKeyPair(dir_.path(), {alice.privateRecord, alice.publicRecord, KeyNameText("a")}));
  }

  test::TempFolder dir_;
  RandomGenerator generator_;
  test::FakeUi ui_;
};

TEST_F(ProgramTest, WithoutAWorkingFolderItEndsAtOnce) {
  EXPECT_EQ(RunProgram(ui_, generator_, std::nullopt), 1);
  EXPECT_EQ(ui_.log(), (Log{"error@-: Fel: Kunde inte välja arbetsmapp!"}));
}

TEST_F(ProgramTest, ACommandLineItCannotFollowEndsItBeforeAnythingElse) {
  EXPECT_EQ(RunProgram(ui_, generator_, std::nullopt, {"/öppna", dir_.file("x")}), 1);
  EXPECT_EQ(ui_.log(),
            (Log{"error@-: Fel: Okänt kommando på kommandoraden: /öppna\n\nAnvändning: quillseal.exe "
                 "[/kryptera | /dekryptera | /signera | /verifiera] fil"}));
}

TEST_F(ProgramTest, AGeneratorThatCannotStartNamesItsSeedFile) {
  const std::string folder = dir_.file("missing");
  EXPECT_EQ(RunProgram(ui_, generator_, folder), 1);
  EXPECT_EQ(ui_.log(), (Log{"error@-: Fel: Kunde inte initiera slumptalsgenerator!\n" +
                            platform::JoinPath(folder, "rand.bin") + ": mappen finns inte"}));
}

// The first-run questions come first; the file and its command wait for the main window.
TEST_F(ProgramTest, TheCommandLinesFileAndVerbComeAfterTheFirstRun) {
  ASSERT_TRUE(test::SeededGenerator()->writeSeedFile(dir_.file("rand.bin")));
  const std::string file = dir_.file("rapport.pdf.encrypted");
  test::WriteRaw(file, "x");
  ui_.answer(ui::Answer::kNo);
  ui_.chooseFile(std::nullopt);
  ui_.onDialog(IDD_MAIN, [&](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_MAIN_FILE_NAME), "");
    v.runWorkers();
    EXPECT_EQ(v.text(IDC_MAIN_FILE_NAME), file);
    v.click(IDC_MAIN_QUIT);
  });
  EXPECT_EQ(RunProgram(ui_, generator_, dir_.path(), {"/dekryptera", file}), 0);
  EXPECT_EQ(ui_.log(),
            (Log{kOffer, "dialog 101@-",
                 "open@101: Välj sändarens certifikat... | Certifikat (*.certificate)|*.certificate | "
                 "certificate | ",
                 "end 101: 1"}));
}

TEST_F(ProgramTest, AStoredKeyPairLeadsStraightToTheMainWindow) {
  storeKeyPair();
  expectMainWindow();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(ui_.log(), (Log{"dialog 101@-", "end 101: 1"}));
}

TEST_F(ProgramTest, DecliningEverythingEndsWithExitCode1) {
  ui_.answer(ui::Answer::kNo);
  ui_.onDialog(IDD_ENTROPY, [](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "screen");
    EXPECT_TRUE(v.hasIcon());
    EXPECT_EQ(v.text(IDC_ENTROPY_COUNTER), "0 / 1024");
    EXPECT_FALSE(v.isEnabled(IDC_ENTROPY_START));
    v.click(IDC_ENTROPY_QUIT);
  });
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(ui_.log(), (Log{kOffer, "dialog 119@-", "end 119: 0"}));
}

TEST_F(ProgramTest, CollectedEntropyIsSavedAndTheProgramGoesOn) {
  ui_.answer(ui::Answer::kNo);
  ui_.onDialog(IDD_ENTROPY, [](test::FakeView& v) {
    v.mouseMoves(1023);
    EXPECT_EQ(v.text(IDC_ENTROPY_COUNTER), "1023 / 1024");
    EXPECT_FALSE(v.isEnabled(IDC_ENTROPY_START));
    v.mouseMoves(1);
    EXPECT_EQ(v.text(IDC_ENTROPY_COUNTER), "");
    v.click(IDC_ENTROPY_START);
  });
  expectMainWindow();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(ui_.log(), (Log{kOffer, "dialog 119@-", "end 119: 1", "dialog 101@-", "end 101: 1"}));
  EXPECT_TRUE(platform::FileExists(dir_.file("rand.bin")));
}

TEST_F(ProgramTest, ASeedFileSparesTheEntropyDialog) {
  ASSERT_TRUE(test::SeededGenerator()->writeSeedFile(dir_.file("rand.bin")));
  ui_.answer(ui::Answer::kNo);
  expectMainWindow();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(ui_.log(), (Log{kOffer, "dialog 101@-", "end 101: 1"}));
}

TEST_F(ProgramTest, TheFirstRunKeyPairDialogCanBeLeftForTheEntropyDialog) {
  ui_.answer(ui::Answer::kYes);
  ui_.onDialog(IDD_KEY_PAIR, [](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "screen");
    EXPECT_TRUE(v.hasIcon());
    EXPECT_TRUE(v.isEnabled(IDC_KEY_PAIR_ENCRYPTION)) << "user mode";
    v.close();
  });
  ui_.onDialog(IDD_ENTROPY, [](test::FakeView& v) { v.close(); });
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(ui_.log(), (Log{kOffer, "dialog 109@-", "end 109: 0", "dialog 119@-", "end 119: 0"}));
}

TEST_F(ProgramTest, TheFirstRunCreatesTheKeyPair) {
  ui_.answer(ui::Answer::kYes);
  ui_.onDialog(IDD_KEY_PAIR, [](test::FakeView& v) {
    v.mouseMoves(1025);
    v.type(IDC_KEY_PAIR_NAME, "Första nyckeln");
    v.click(IDC_KEY_PAIR_CREATE);
  });
  expectMainWindow();
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(ui_.log(), (Log{kOffer, "dialog 109@-", "end 109: 1", "dialog 101@-", "end 101: 1"}));
  const std::optional<StoredKeyPair> stored = ReadStoredKeyPair(dir_.path());
  ASSERT_TRUE(stored);
  EXPECT_EQ(DisplayText(stored->keyName), "Första nyckeln");
}

// Once the credit is there, the first movement is enough.
TEST(EntropyDialog, AFullCreditEnablesStartAtTheFirstMove) {
  test::TempFolder dir;
  auto generator = test::SeededGenerator();
  AppState state(*generator, dir.path());
  test::FakeUi ui;
  EntropyDialog dialog(state);
  ui.onDialog(IDD_ENTROPY, [](test::FakeView& v) {
    EXPECT_FALSE(v.isEnabled(IDC_ENTROPY_START));
    EXPECT_EQ(v.text(IDC_ENTROPY_COUNTER), "1024 / 1024");
    v.mouseMoves(1);
    EXPECT_TRUE(v.isEnabled(IDC_ENTROPY_START));
    v.close();
  });
  EXPECT_EQ(ui.runDialog(IDD_ENTROPY, dialog, nullptr), 0);
}

}  // namespace
}  // namespace qs
