#include "clean/wipe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/clean/spy_files.h"
#include "tests/support/temp_folder.h"

namespace qs::clean::test {
namespace {

using qs::test::ReadRaw;
using qs::test::TempFolder;
using qs::test::WriteRaw;

class Wipe : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path() + "/"; }
  bool wipe(const std::string& where) {
    return WipeFolder(where, files_, StreamFill(position_),
                      [this](const std::string& name) { failed_.push_back(name); });
  }

  TempFolder dir_;
  SpyFiles files_;
  std::uint64_t position_ = 0;
  std::vector<std::string> failed_;
};

TEST_F(Wipe, EveryFileIsOverwrittenWithItsLengthOfFreshBytesThenRemovedAndTheFolderWithThem) {
  const std::map<std::string, std::string> original = {
      {"priv_key.bin", std::string(1000, 'k')},
      {"cert_key_list.bin", std::string(64 * 1024 + 1, 'c')},  // more than one piece
      {"config.bin", std::string("\x01\x00", 2)},
      {"empty.bin", ""},
      {"r\xC3\xA4ksm\xC3\xB6rg\xC3\xA5s.bin", "x"},  // räksmörgås
  };
  for (const auto& [name, bytes] : original) WriteRaw(folder() + name, bytes);

  ASSERT_TRUE(wipe(folder()));

  EXPECT_TRUE(failed_.empty());
  ASSERT_EQ(files_.overwritten.size(), original.size());
  // Each file held the next piece of the stream when it was removed: every byte replaced,
  // none written past its end.
  std::uint64_t from = 0;
  for (const std::string& path : files_.overwritten) {
    const std::string& before = original.at(path.substr(folder().size()));
    ASSERT_TRUE(files_.removedContent.count(path)) << path;
    EXPECT_EQ(files_.removedContent.at(path), StreamBytes(from, before.size())) << path;
    from += before.size();
  }
  EXPECT_EQ(position_, from);
  EXPECT_EQ(files_.removedFolders, std::vector<std::string>{folder()});
  EXPECT_FALSE(Exists(dir_.path()));
}

TEST_F(Wipe, ReadOnlyFileIsReportedOnceAndLeftAsItWasWhileTheOthersGo) {
  WriteRaw(folder() + "locked.bin", "keep me");
  WriteRaw(folder() + "other.bin", "secret");
  SetReadOnly(folder() + "locked.bin", true);

  ASSERT_TRUE(wipe(folder()));

  SetReadOnly(folder() + "locked.bin", false);
  EXPECT_EQ(failed_, std::vector<std::string>{"locked.bin"});
  EXPECT_EQ(ReadRaw(folder() + "locked.bin"), "keep me");
  EXPECT_EQ(files_.removedContent.count(folder() + "locked.bin"), 0u);
  EXPECT_FALSE(Exists(folder() + "other.bin"));
  EXPECT_EQ(qs::test::ListFolder(dir_.path()), "locked.bin\n");
}

TEST_F(Wipe, SubFolderIsNeitherEnteredNorRemovedSoTheFolderStays) {
  std::filesystem::create_directory(dir_.file("sub"));
  WriteRaw(dir_.file("sub/inner.bin"), "inner");
  WriteRaw(folder() + "top.bin", "top");

  ASSERT_TRUE(wipe(folder()));

  EXPECT_TRUE(failed_.empty());
  EXPECT_EQ(files_.overwritten, std::vector<std::string>{folder() + "top.bin"});
  EXPECT_EQ(ReadRaw(dir_.file("sub/inner.bin")), "inner");
  EXPECT_EQ(qs::test::ListFolder(dir_.path()), "sub\n");
}

TEST_F(Wipe, FolderThatCannotBeListedIsReportedAndNothingIsTouched) {
  EXPECT_FALSE(wipe(folder() + "missing/"));
  EXPECT_TRUE(files_.overwritten.empty());
  EXPECT_TRUE(files_.removedFolders.empty());
  EXPECT_TRUE(failed_.empty());
}

#ifdef _WIN32
TEST(SystemFiles, DriveRootIsNotAFolderToWipe) {
  // A root lists no "." entry; refusing it keeps a wrong path from wiping a whole drive.
  EXPECT_FALSE(SystemFiles().list("C:\\"));
}
#else
TEST_F(Wipe, LinkIsReportedAndItsTargetOutsideTheFolderLeftAlone) {
  std::filesystem::create_directory(dir_.file("wd"));
  WriteRaw(dir_.file("target.txt"), "the user's own file");
  std::filesystem::create_symlink(dir_.file("target.txt"), dir_.file("wd/link"));

  ASSERT_TRUE(wipe(dir_.file("wd/")));

  EXPECT_EQ(failed_, std::vector<std::string>{"link"});
  EXPECT_EQ(ReadRaw(dir_.file("target.txt")), "the user's own file");
}
#endif

}  // namespace
}  // namespace qs::clean::test
