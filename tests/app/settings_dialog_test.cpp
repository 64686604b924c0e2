// The settings dialog over config.bin.
#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/resource_ids.h"
#include "platform/file.h"
#include "platform/folder_lock.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

const std::vector<int> kFormats{IDC_SETTINGS_NATIVE, IDC_SETTINGS_OKI};

class SettingsDialogTest : public test::AppTest {
 protected:
  // Opens the dialog from the menu with the script.
  void open(test::FakeUi::Script script) {
    ui_.onDialog(IDD_SETTINGS, std::move(script));
    main().click(IDM_SETTINGS);
  }

  void writeConfig(const std::string& content) {
    test::WriteRaw(path("config.bin"),
                   std::string(1, static_cast<char>(content.size())) + std::string(3, '\0') + content);
  }

  std::string config() const { return test::ReadRaw(path("config.bin")); }

  // format checked: "native" or "oki"; compression: its mark and whether it can be changed;
  // whether the user's own key is one more recipient (a choice under either format).
  static void expectShown(test::FakeView& v, bool oki, bool compressionChecked, bool compressionEnabled,
                          bool toSelf = false) {
    EXPECT_EQ(v.isChecked(IDC_SETTINGS_OKI), oki);
    EXPECT_EQ(v.isChecked(IDC_SETTINGS_NATIVE), !oki);
    EXPECT_EQ(v.isChecked(IDC_SETTINGS_COMPRESSION), compressionChecked);
    EXPECT_EQ(v.isEnabled(IDC_SETTINGS_COMPRESSION), compressionEnabled);
    EXPECT_EQ(v.isChecked(IDC_SETTINGS_ENCRYPT_TO_SELF), toSelf);
    EXPECT_TRUE(v.isEnabled(IDC_SETTINGS_ENCRYPT_TO_SELF));
  }
};

TEST_F(SettingsDialogTest, ShowsWhatConfigBinHolds) {
  open([](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "centred on 101");
    expectShown(v, false, false, true);
    v.click(IDC_SETTINGS_CANCEL);
  });
  EXPECT_EQ(ui_.log(), (std::vector<std::string>{"dialog 116@101", "end 116: 0"}));
  EXPECT_FALSE(platform::FileExists(path("config.bin"))) << "reading creates nothing";

  writeConfig("\x01");  // OKI-format, no compression
  open([](test::FakeView& v) {
    expectShown(v, true, false, false);
    v.close();
  });

  writeConfig("\x07\x02");  // both count as 1
  open([](test::FakeView& v) {
    expectShown(v, true, true, false);
    v.click(IDC_SETTINGS_OK);
  });
  EXPECT_EQ(config(), std::string("\x02\0\0\0\x01\x01", 6));
  EXPECT_EQ(state_.settings.fileFormat, Settings::kOki);

  writeConfig(std::string("\x01\0\x05", 3));  // a third byte: encrypt to oneself too
  open([](test::FakeView& v) {
    expectShown(v, true, false, false, true);
    v.click(IDC_SETTINGS_CANCEL);
  });
}

// The third byte is written only while the choice is on, so that a file with it off is the
// two bytes an older program wrote and reads.
TEST_F(SettingsDialogTest, EncryptingToOneselfIsAThirdByteWrittenOnlyWhenOn) {
  const struct {
    bool oki;
    bool flip;  // the choice turned over before OK
    std::string stored;
    bool toSelf;
  } steps[] = {
      {false, true, std::string("\x03\0\0\0\x00\x00\x01", 7), true},
      {false, false, std::string("\x03\0\0\0\x00\x00\x01", 7), true},  // read back and kept
      {true, false, std::string("\x03\0\0\0\x01\x00\x01", 7), true},   // under OKI-format too
      {true, true, std::string("\x02\0\0\0\x01\x00", 6), false},
      {false, false, std::string("\x02\0\0\0\x00\x00", 6), false},
  };
  for (const auto& step : steps) {
    open([&step](test::FakeView& v) {
      v.clickRadio(step.oki ? IDC_SETTINGS_OKI : IDC_SETTINGS_NATIVE, kFormats);
      if (step.flip) v.clickCheckBox(IDC_SETTINGS_ENCRYPT_TO_SELF);
      v.click(IDC_SETTINGS_OK);
    });
    EXPECT_EQ(config(), step.stored);
    EXPECT_EQ(state_.settings.encryptToSelf, step.toSelf ? 1 : 0);
    open([&step](test::FakeView& v) {
      expectShown(v, step.oki, false, !step.oki, step.toSelf);
      v.close();
    });
  }
}

TEST_F(SettingsDialogTest, TheFormatDecidesWhetherCompressionCanChange) {
  open([](test::FakeView& v) {
    v.clickCheckBox(IDC_SETTINGS_COMPRESSION);
    v.clickRadio(IDC_SETTINGS_OKI, kFormats);
    expectShown(v, true, true, false);  // the mark stays
    v.clickRadio(IDC_SETTINGS_NATIVE, kFormats);
    expectShown(v, false, true, true);
    v.clickRadio(IDC_SETTINGS_OKI, kFormats);
    v.click(IDC_SETTINGS_OK);
  });
  // A mark kept under OKI-format is stored, and shown again next time.
  EXPECT_EQ(config(), std::string("\x02\0\0\0\x01\x01", 6));
  open([](test::FakeView& v) {
    expectShown(v, true, true, false);
    v.clickRadio(IDC_SETTINGS_NATIVE, kFormats);
    v.clickCheckBox(IDC_SETTINGS_COMPRESSION);
    v.click(IDC_SETTINGS_OK);
  });
  EXPECT_EQ(config(), std::string("\x02\0\0\0\x00\x00", 6));
}

TEST_F(SettingsDialogTest, CancelAndCloseWriteNothing) {
  writeConfig(std::string("\x01\0", 2));
  for (bool close : {false, true}) {
    open([close](test::FakeView& v) {
      v.clickRadio(IDC_SETTINGS_NATIVE, kFormats);
      v.clickCheckBox(IDC_SETTINGS_COMPRESSION);
      v.clickCheckBox(IDC_SETTINGS_ENCRYPT_TO_SELF);
      if (close) {
        v.close();
      } else {
        v.click(IDC_SETTINGS_CANCEL);
      }
    });
    EXPECT_EQ(config(), std::string("\x02\0\0\0\x01\x00", 6));
  }
}

// Closing as if saved would leave the next encryption on the old settings unannounced: the
// failure is told (as the command line tells it), the dialog stays for another try.
TEST_F(SettingsDialogTest, AnUnwritableConfigBinIsToldAndTheDialogStaysOpen) {
  std::filesystem::create_directory(path("config.bin"));  // nothing can replace a folder
  for (const bool busy : {false, true}) {
    ui_.clearLog();
    std::optional<platform::FolderLock> other;
    if (busy) {
      std::filesystem::remove(path("config.bin"));
      platform::SetFolderLockWait(std::chrono::milliseconds(50));
      other.emplace(dir_.path());
    }
    open([](test::FakeView& v) {
      v.clickRadio(IDC_SETTINGS_OKI, kFormats);
      v.click(IDC_SETTINGS_OK);
      EXPECT_FALSE(v.ended());
      EXPECT_TRUE(v.isChecked(IDC_SETTINGS_OKI));
      v.click(IDC_SETTINGS_CANCEL);
    });
    other.reset();
    platform::SetFolderLockWait(platform::kFolderLockWait);
    EXPECT_EQ(ui_.log(), (std::vector<std::string>{
                             "dialog 116@101",
                             std::string("error@116: ") + (busy ? "Arbetsmappen används av ett annat "
                                                                  "Quillseal-program just nu. Försök igen "
                                                                  "om en stund."
                                                                : "Kunde inte spara inställningarna."),
                             "end 116: 0"}));
  }
  EXPECT_FALSE(platform::FileExists(path("config.bin")));
}

}  // namespace
}  // namespace qs
