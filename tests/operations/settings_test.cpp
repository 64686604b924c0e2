#include "operations/settings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace qs {
namespace {

using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

void ExpectSettings(const Settings& s, std::uint8_t format, std::uint8_t compression,
                    std::uint8_t toSelf = 0) {
  EXPECT_EQ(s.fileFormat, format);
  EXPECT_EQ(s.compression, compression);
  EXPECT_EQ(s.encryptToSelf, toSelf);
}

TEST(Settings, MissingOrDamagedFileGivesDefaultsWithoutCreatingIt) {
  TempFolder dir;
  ExpectSettings(ReadSettings(dir.path()), 0, 0);
  EXPECT_EQ(test::ListFolder(dir.path()), "");
  WriteRaw(dir.file("config.bin"), std::string("\x05\0\0\0\x01\x01", 6));  // shorter than it says
  ExpectSettings(ReadSettings(dir.path()), 0, 0);
  WriteRaw(dir.file("config.bin"), std::string("\x02\0\0\x50\x01\x01", 6));  // beyond 2^30
  ExpectSettings(ReadSettings(dir.path()), 0, 0);
  WriteRaw(dir.file("config.bin"), std::string("\x02\0\0\0\x01\x01\0", 7));  // a byte after the content
  ExpectSettings(ReadSettings(dir.path()), 0, 0);
}

TEST(Settings, ReaderIsLenient) {
  TempFolder dir;
  WriteRaw(dir.file("config.bin"), std::string("\x01\0\0\0\x01", 5));
  ExpectSettings(ReadSettings(dir.path()), Settings::kOki, 0);
  WriteRaw(dir.file("config.bin"), std::string("\x04\0\0\0\x07\x02\x09\x05", 8));
  const Settings s = ReadSettings(dir.path());
  ExpectSettings(s, Settings::kOki, 1, 1);
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), s));
  EXPECT_EQ(ReadRaw(dir.file("config.bin")), std::string("\x03\0\0\0\x01\x01\x01", 7));
}

// The choice to encrypt to oneself came later: files without it read as off, and it is
// written only when on, so that the file stays as every earlier build wrote it.
TEST(Settings, TheThirdByteIsWrittenOnlyWhenOn) {
  TempFolder dir;
  WriteRaw(dir.file("config.bin"), std::string("\x02\0\0\0\x00\x01", 6));
  ExpectSettings(ReadSettings(dir.path()), Settings::kQuillseal, 1, 0);
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), Settings{Settings::kQuillseal, 1, 1}));
  EXPECT_EQ(ReadRaw(dir.file("config.bin")), std::string("\x03\0\0\0\x00\x01\x01", 7));
  ExpectSettings(ReadSettings(dir.path()), Settings::kQuillseal, 1, 1);
  Settings written;
  ASSERT_EQ(SettingsOutcome::kSaved, ChangeSettings(
                                         dir.path(), [](Settings& s) { s.encryptToSelf = 0; }, written));
  ExpectSettings(written, Settings::kQuillseal, 1, 0);
  EXPECT_EQ(ReadRaw(dir.file("config.bin")), std::string("\x02\0\0\0\x00\x01", 6));
}

TEST(Settings, WriterStoresOnlyZeroOrOne) {
  TempFolder dir;
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), Settings{Settings::kQuillseal, 1}));
  EXPECT_EQ(ReadRaw(dir.file("config.bin")), std::string("\x02\0\0\0\x00\x01", 6));
  ASSERT_EQ(SettingsOutcome::kSaved, WriteSettings(dir.path(), Settings{static_cast<Settings::FileFormat>(7),
                                                                        9}));  // neither value is 1
  EXPECT_EQ(ReadRaw(dir.file("config.bin")), std::string("\x02\0\0\0\x00\x00", 6));
  EXPECT_EQ(test::ListFolder(dir.path()), "config.bin\nqs.lock\n");
}

TEST(Settings, UnwritableFolderReportsFailure) {
  TempFolder dir;
  EXPECT_EQ(SettingsOutcome::kNotSaved, WriteSettings(dir.file("missing"), Settings{}));
}

}  // namespace
}  // namespace qs
