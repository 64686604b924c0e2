// The progress dialog and the operation it runs: status texts, the bar, cancelling, and what
// the user is told after each kind of failure.
#include "app/progress_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/resource_ids.h"
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

  static Log failed(const std::string& message) {
    return {"dialog 113@101", "pause 1000", "end 113: 0", "box@101: " + message};
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

TEST_F(ProgressTest, BarRangeIsFixedByTheFirstCountSeen) {
  request(OperationCode::kSign, path("missing"), path("target"));
  state_.operation.chunkProgress.count = 7;  // from an earlier operation: reset on opening
  ui_.onDialog(IDD_PROGRESS, [this](test::FakeView& v) {
    OperationRequest& r = state_.operation;
    EXPECT_EQ(r.chunkProgress.count, 0u);
    v.tick();
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 100) << "nothing counted yet: the bar is left alone";
    r.chunkProgress.count = 1;  // a one-chunk file
    v.tick();
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).low, 0);
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 0);
    r.chunkProgress.count = 5;
    r.chunkProgress.current = 3;
    v.tick();
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 0);
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).position, 3);
  });
  RunOperationDialog(ui_, state_);

  request(OperationCode::kEncrypt, path("missing"), path("target"));
  ui_.onDialog(IDD_PROGRESS, [this](test::FakeView& v) {
    state_.operation.totalBytes = 1000000;
    state_.operation.byteProgress.count = 5000;
    v.tick();
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).high, 1953);
    EXPECT_EQ(v.control(IDC_PROGRESS_BAR).position, 4);
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
  EXPECT_EQ(run(true), failed("Fel vid läsning av källfilen."));
  // 1: the target cannot be written, here because it is the source itself.
  request(OperationCode::kEncrypt, writeFile("a", "a"), path("a"));
  EXPECT_EQ(run(true), failed("Fel vid skrivning till målfilen."));

  encrypted("sealed");
  // 2: a sender whose key did not sign it.
  request(OperationCode::kDecrypt, path("sealed"), path("opened"), "bob", "carol");
  EXPECT_EQ(
      run(true),
      failed("Krypteringsfel, kontrollera format på fil eller om rätt sändande certifikat har använts."));
  // 3: another encryption method.
  std::string bytes = test::ReadRaw(path("sealed"));
  bytes[25] ^= 0x01;  // the method byte of the header record
  test::WriteRaw(path("other"), bytes);
  request(OperationCode::kDecrypt, path("other"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(true),
            failed("Felaktigt format på filen, filen är krypterad med en annan krypteringsmetod."));
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
                          "inställningsdialogen."));
  EXPECT_EQ(test::ReadRaw(target), "older");

  // A cancel closes the dialog at once and silently.
  request(OperationCode::kEncrypt, writeFile("plain", std::string(100000, 'x')), path("oki"));
  state_.operation.format = Settings::kOki;
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  EXPECT_FALSE(platform::FileExists(path("oki")));

  encrypted("oki", 1000, Settings::kOki);
  request(OperationCode::kDecrypt, path("oki"), path("opened"), "bob", "carol");
  EXPECT_EQ(run(), failed("Fel vid dekryptering av fil, kontrollera sändarens certifikat."));
  request(OperationCode::kDecrypt, path("oki"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  // A target that cannot be written is named, as in the native format and the command line,
  // instead of the sender's certificate.
  request(OperationCode::kDecrypt, path("oki"), path("no folder/opened"), "bob", "alice");
  EXPECT_EQ(run(), failed("Fel vid skrivning till målfilen."));
  request(OperationCode::kEncrypt, path("plain"), path("no folder/oki"));
  state_.operation.format = Settings::kOki;
  EXPECT_EQ(run(), failed("Fel vid skrivning till målfilen."));
  // Too short to tell its format.
  request(OperationCode::kDecrypt, writeFile("short", "tiny"), path("opened"), "bob", "alice");
  EXPECT_EQ(run(), failed("Fel vid läsning av fil."));
  EXPECT_FALSE(platform::FileExists(path("opened")));
}

TEST_F(ProgressTest, SignatureFailures) {
  request(OperationCode::kSign, path("missing"), path("sig"));
  EXPECT_EQ(run(), failed("Fel vid signering av fil."));
  request(OperationCode::kSign, writeFile("data", std::string(50000, 'd')), path("sig"));
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
  EXPECT_FALSE(platform::FileExists(path("sig")));

  request(OperationCode::kSign, path("data"), path("sig"));
  EXPECT_EQ(run(), (Log{"dialog 113@101", "pause 1000", "end 113: 1"}));
  // Signed by alice, checked against bob's key.
  request(OperationCode::kVerify, path("data"), path("sig"), "bob", "bob");
  EXPECT_EQ(run(), failed("Signaturen stämmer ej mot den valda filen."));
  request(OperationCode::kVerify, path("data"), path("sig"), "bob", "alice");
  EXPECT_EQ(run(true), (Log{"dialog 113@101", "end 113: 0"}));
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
