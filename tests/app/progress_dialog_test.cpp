// The progress dialog and the operation it runs: status texts, the bar, cancelling, and what
// the user is told after each kind of failure.
#include "app/progress_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/resource_ids.h"
#include "app/two_line_message.h"
#include "formats/oki_file.h"
#include "platform/file.h"
#include "tests/app/app_fixture.h"
#include "tests/support/hex.h"
#include "tests/support/test_keys.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

class ProgressTest : public test::AppTest {
 protected:
  // A request from alice's keys to bob's (or the reverse when decrypting).
  void request(OperationCode code, const std::string& source, const std::string& target,
               const std::string& own = "alice", const std::string& peer = "bob") {
    OperationRequest& r = state_.operation;
    r.code = code;
    r.sourceName = source;
    r.targetName = target;
    r.ownPrivateKey = test::KeyPairOf(own).privateRecord;
    r.peerPublicKey = code == OperationCode::kSign ? ByteBuffer() : test::KeyPairOf(peer).publicRecord;
  }

  // Runs the request under the progress dialog; with cancelFirst the user presses "Avbryt"
  // before the worker gets going.
  Log run(bool cancelFirst = false) {
    ui_.clearLog();
    ui_.onDialog(IDD_PROGRESS, [cancelFirst](test::FakeView& v) {
      if (cancelFirst) v.click(IDC_PROGRESS_CANCEL);
    });
    RunOperationDialog(ui_, state_);
    return ui_.log();
  }

  // Encrypts a fresh file from alice to bob into name.
  void encrypted(const std::string& name, std::size_t size = 1000,
                 Settings::FileFormat format = Settings::kQuillseal) {
    request(OperationCode::kEncrypt, writeFile(name + ".plain", std::string(size, 'e')), path(name));
    state_.operation.format = format;
    ASSERT_EQ(run(), (Log{"dialog 113@101", "pause 1000", "end 113: 1"}));
  }

  // The message, then the file and its cause on a second line.
  Log failed(const std::string& message, const std::string& name, const std::string& cause) const {
    return {"dialog 113@101", "pause 1000", "end 113: 0",
            "error@101: " + message + "\n" + path(name) + ": " + cause};
  }
};

TEST_F(ProgressTest, StatusTextFollowsTheOperation) {
  struct Case {
    OperationCode code;
    ChunkCompression compression;
    Settings::FileFormat format;
    const char* status;
  };
  constexpr ChunkCompression kOn = ChunkCompression::kFormat;
  constexpr ChunkCompression kOff = ChunkCompression::kNone;
  for (const Case& c :
       {Case{OperationCode::kEncrypt, kOff, Settings::kQuillseal, "Krypterar..."},
        Case{OperationCode::kEncrypt, kOn, Settings::kQuillseal, "Komprimerar och krypterar..."},
        Case{OperationCode::kEncrypt, kOn, Settings::kOki, "Krypterar..."},
        Case{OperationCode::kDecrypt, kOn, Settings::kQuillseal, "Dekrypterar..."},
        Case{OperationCode::kSign, kOff, Settings::kQuillseal, "Signerar..."},
        Case{OperationCode::kVerify, kOff, Settings::kQuillseal, "Verifierar..."}}) {
    request(c.code, path("missing"), path("target"));
    state_.operation.compression = c.compression;
    state_.operation.format = c.format;
    ui_.onDialog(IDD_PROGRESS, [&c](test::FakeView& v) {
      EXPECT_EQ(v.text(IDC_PROGRESS_STATUS), c.status);
      EXPECT_EQ(v.placement(), "centred on 101");
      EXPECT_EQ(v.timer(), 100u);
    });
    RunOperationDialog(ui_, state_);
  }
}

// The bar shows the fraction the command line prints, in thousandths.
TEST_F(ProgressTest, BarShowsTheOperationsProgressFraction) {
  request(OperationCode::kSign, path("missing"), path("target"));
  state_.operation.chunkProgress.count = 7;  // from an earlier operation: reset on opening
  ui_.onDialog(IDD_PROGRESS, [this](test::FakeView& v) {
    OperationRequest& r = state_.operation;
    EXPECT_EQ(r.chunkProgress.count, 0u);
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).low, 0);
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 1000);
    struct Step {
      std::uint32_t current, count, bytes, total;
      int position;
    };
    for (const Step& step : {Step{0, 0, 0, 0, 0},  // nothing counted yet
                             Step{0, 1, 0, 0, 1000}, Step{3, 5, 0, 0, 800},
                             Step{5, 5, 0, 0, 1000},  // counted past the end: the bar stays full
                             Step{0, 0, 5000, 1000000, 2}, Step{0, 0, 2000000, 1000000, 1000}}) {
      r.chunkProgress.current = step.current;
      r.chunkProgress.count = step.count;
      r.byteProgress.count = static_cast<std::int32_t>(step.bytes);
      r.totalBytes = step.total;
      v.tick();
      EXPECT_EQ(v.control(IDC_PROGRESS_BAR).position, step.position) << step.current << "/" << step.count;
    }
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 1000) << "the range never changes";
  });
  RunOperationDialog(ui_, state_);
}

TEST_F(ProgressTest, CancelOnlyAsksTheWorkerToStop) {
  request(OperationCode::kSign, path("missing"), path("target"));
  for (bool byCloseButton : {false, true}) {
    ui_.onDialog(IDD_PROGRESS, [this, byCloseButton](test::FakeView& v) {
      if (byCloseButton) {
        v.close();
      } else {
        v.click(IDC_PROGRESS_CANCEL);
      }
      EXPECT_FALSE(v.ended());
      EXPECT_EQ(v.text(IDC_PROGRESS_STATUS), "Avbryter...");
      EXPECT_FALSE(v.isEnabled(IDC_PROGRESS_CANCEL));
      EXPECT_EQ(state_.operation.chunkProgress.cancel, 1);
      EXPECT_EQ(state_.operation.byteProgress.cancel, 1);
    });
    RunOperationDialog(ui_, state_);
  }
}

TEST_F(ProgressTest, CancelledNativeEncryptionLeavesNoFileAndSaysNothing) {
  const std::string target = writeFile("big.encrypted", "an older file");
  request(OperationCode::kEncrypt, writeFile("big", std::string(5 << 20, 'b')), target);
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "pause 1000", "end 113: 0"}));
  EXPECT_EQ(test::ReadRaw(target), "an older file");
  EXPECT_EQ(folderListing(), "big\nbig.encrypted\n");
  EXPECT_TRUE(state_.operation.ownPrivateKey.empty());
}

TEST_F(ProgressTest, NativeFailuresShowTheirMessageEvenAfterCancel) {
  // 0: the source cannot be read.
  request(OperationCode::kEncrypt, path("missing"), path("out"));
  EXPECT_EQ(run(true), failed("Fel vid läsning av källfilen.", "missing", "filen finns inte"));
  // 1: the target cannot be written, here because it is the source itself.
  request(OperationCode::kEncrypt, writeFile("a", "a"), path("a"));
  EXPECT_EQ(run(true),
            failed("Fel vid skrivning till målfilen.", "a", "målfilen är samma fil som källfilen"));

  encrypted("sealed");
  // 2: a sender whose key did not sign it.
  request(OperationCode::kDecrypt, path("sealed"), path("opened"), "bob", "carol");
  EXPECT_EQ(run(true),
            failed("Krypteringsfel, kontrollera format på fil eller om rätt sändande certifikat har använts.",
                   "sealed", "filen är inte signerad av den valda avsändaren"));
  // 3: another encryption method.
  std::string bytes = test::ReadRaw(path("sealed"));
  bytes[25] ^= 0x01;  // the method byte of the header record
  test::WriteRaw(path("other"), bytes);
  request(OperationCode::kDecrypt, path("other"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(true), failed("Felaktigt format på filen, filen är krypterad med en annan krypteringsmetod.",
                              "other", "filen är krypterad med en annan metod"));
  EXPECT_FALSE(platform::FileExists(path("opened")));

  // The right keys open it; the name field is cleared only then.
  main().setText(IDC_MAIN_FILE_NAME, "kvar");
  request(OperationCode::kDecrypt, path("sealed"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(), (Log{"dialog 113@101", "pause 1000", "end 113: 1"}));
  EXPECT_EQ(test::ReadRaw(path("opened")), std::string(1000, 'e'));
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "");

  // A file of an earlier writer opens too, with a warning that it does not bind its sender.
  const test::Vector known = test::LoadVectors("formats/encrypted_files.txt").at(0);
  const ByteBuffer file = test::FromHex(known.at("File"));
  writeFile("older", std::string(reinterpret_cast<const char*>(file.data()), file.length()));
  request(OperationCode::kDecrypt, path("older"), path("older.out"), "carol", "bob");
  EXPECT_EQ(run(), (Log{"dialog 113@101", "pause 1000", "end 113: 1",
                        std::string("warn@101: ") + file_text::kSenderUnbound}));
}

TEST_F(ProgressTest, OkiFormatFailures) {
  // Above 250 MiB the file is refused before it is read; an older target stays.
  const std::string big = path("huge");
  test::WriteRaw(big, "");
  std::filesystem::resize_file(big, kMaxOkiPlainBytes + 1ull);
  const std::string target = writeFile("huge.encrypted", "older");
  request(OperationCode::kEncrypt, big, target);
  state_.operation.format = Settings::kOki;
  EXPECT_EQ(run(), failed("Filen är för stor för OKI-formatet. Filen kan krypteras om formatet ändras i "
                          "inställningsdialogen.",
                          "huge", "filen är för stor för formatet (262 144 001 byte, högst 262 144 000)"));
  EXPECT_EQ(test::ReadRaw(target), "older");

  // A cancel closes the dialog at once and silently.
  request(OperationCode::kEncrypt, writeFile("plain", std::string(100000, 'x')), path("oki"));
  state_.operation.format = Settings::kOki;
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  EXPECT_FALSE(platform::FileExists(path("oki")));

  encrypted("oki", 1000, Settings::kOki);
  request(OperationCode::kDecrypt, path("oki"), path("opened"), "bob", "carol");
  EXPECT_EQ(run(), failed("Fel vid dekryptering av fil, kontrollera sändarens certifikat.", "oki",
                          "filen är inte signerad av den valda avsändaren"));
  request(OperationCode::kDecrypt, path("oki"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  // A target that cannot be written is named, as in the native format and the command line,
  // instead of the sender's certificate.
  request(OperationCode::kDecrypt, path("oki"), path("no folder/opened"), "bob", "alice");
  EXPECT_EQ(run(), failed("Fel vid skrivning till målfilen.", "no folder/opened", "mappen finns inte"));
  request(OperationCode::kEncrypt, path("plain"), path("no folder/oki"));
  state_.operation.format = Settings::kOki;
  EXPECT_EQ(run(), failed("Fel vid skrivning till målfilen.", "no folder/oki", "mappen finns inte"));
  // Too short to tell its format.
  request(OperationCode::kDecrypt, writeFile("short", "tiny"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(), failed("Fel vid läsning av fil.", "short", "filen är inte en krypterad fil"));
  EXPECT_FALSE(platform::FileExists(path("opened")));
}

TEST_F(ProgressTest, SignatureFailures) {
  request(OperationCode::kSign, path("missing"), path("sig"));
  EXPECT_EQ(run(), failed("Fel vid signering av fil.", "missing", "filen finns inte"));
  request(OperationCode::kSign, writeFile("data", std::string(50000, 'd')), path("sig"));
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  EXPECT_FALSE(platform::FileExists(path("sig")));

  request(OperationCode::kSign, path("data"), path("sig"));
  EXPECT_EQ(run(), (Log{"dialog 113@101", "pause 1000", "end 113: 1"}));
  // Signed by alice, checked against bob's key.
  request(OperationCode::kVerify, path("data"), path("sig"), "bob", "bob");
  EXPECT_EQ(run(), failed("Signaturen stämmer ej mot den valda filen.", "data",
                          "filen har ändrats eller signaturen är inte gjord av avsändaren"));
  request(OperationCode::kVerify, path("data"), path("sig"), "bob", "alice");
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
}

// After a failure the outcome's message stays the first line; a known cause follows it.
TEST(FailureMessage, TheCauseFollowsOnASecondLineWhenKnown) {
  EXPECT_EQ(TwoLineMessage(MessageText(FileOutcome::kWrongKeys),
                           "x.encrypted: filen är krypterad för en annan nyckel"),
            std::string(MessageText(FileOutcome::kWrongKeys)) +
                "\nx.encrypted: filen är krypterad för en annan nyckel");
  EXPECT_EQ(TwoLineMessage(MessageText(FileOutcome::kSourceUnreadable), ""), "Fel vid läsning av källfilen.");
}

TEST_F(ProgressTest, OnlyTheProgressDialogLeavesTheGeneratorAlone) {
  request(OperationCode::kSign, path("missing"), path("sig"));
  const std::uint32_t before = state_.generator.credit();
  ui_.onDialog(IDD_PROGRESS, [](test::FakeView& v) { v.mouseMoves(10); });
  RunOperationDialog(ui_, state_);
  EXPECT_EQ(state_.generator.credit(), before);
  main().mouseMoves(10);
  EXPECT_EQ(state_.generator.credit(), before + 10);
}

}  // namespace
}  // namespace qs
