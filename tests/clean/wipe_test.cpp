#include "clean/wipe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/clean/spy_files.h"
#include "tests/support/temp_folder.h"

namespace qs::clean::test {
namespace {

using qs::test::ListFolder;
using qs::test::ReadRaw;
using qs::test::TempFolder;
using qs::test::WriteRaw;

class Wipe : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path(); }
  FolderState wipe(const std::string& where) {
    return WipeFolder(where, files_, StreamFill(position_), [this](const std::string& name, FileWipe why) {
      left_.push_back(name + (why == FileWipe::kSeveralNames ? " has several names" : " failed"));
    });
  }

  TempFolder dir_;
  SpyFiles files_;
  std::uint64_t position_ = 0;
  std::vector<std::string> left_;
};

TEST_F(Wipe, EveryFileIsOverwrittenWithItsLengthOfFreshBytesThenRemovedAndTheFolderWithThem) {
  const std::map<std::string, std::string> original = {
      {"priv_key.bin", std::string(1000, 'k')},
      {"cert_key_list.bin", std::string(64 * 1024 + 1, 'c')},  // more than one piece
      {"config.bin", std::string("\x01\x00", 2)},
      {"empty.bin", ""},
      {"r\xC3\xA4ksm\xC3\xB6rg\xC3\xA5s.bin", "x"},  // räksmörgås
  };
  for (const auto& [name, bytes] : original) WriteRaw(dir_.file(name), bytes);

  ASSERT_EQ(wipe(folder()), FolderState::kUsable);

  EXPECT_TRUE(left_.empty());
  ASSERT_EQ(files_.overwritten.size(), original.size());
  // Each file held the next piece of the stream when it was removed: every byte replaced,
  // none written past its end.
  std::uint64_t from = 0;
  for (const std::string& name : files_.overwritten) {
    const std::string& before = original.at(name);
    ASSERT_TRUE(files_.removedContent.count(name)) << name;
    EXPECT_EQ(files_.removedContent.at(name), StreamBytes(from, before.size())) << name;
    from += before.size();
  }
  EXPECT_EQ(position_, from);
  EXPECT_EQ(files_.folderRemovals, 1);
  EXPECT_FALSE(Exists(dir_.path()));
}

TEST_F(Wipe, ReadOnlyFileIsReportedOnceAndLeftAsItWasWhileTheOthersGo) {
  WriteRaw(dir_.file("locked.bin"), "keep me");
  WriteRaw(dir_.file("other.bin"), "secret");
  SetReadOnly(dir_.file("locked.bin"), true);

  ASSERT_EQ(wipe(folder()), FolderState::kUsable);

  SetReadOnly(dir_.file("locked.bin"), false);
  EXPECT_EQ(left_, std::vector<std::string>{"locked.bin failed"});
  EXPECT_EQ(ReadRaw(dir_.file("locked.bin")), "keep me");
  EXPECT_EQ(files_.removedContent.count("locked.bin"), 0u);
  EXPECT_FALSE(Exists(dir_.file("other.bin")));
  EXPECT_EQ(ListFolder(dir_.path()), "locked.bin\n");
}

TEST_F(Wipe, FileWithASecondNameElsewhereIsReportedAndKeptUnderBothNames) {
  std::filesystem::create_directory(dir_.file("wd"));
  WriteRaw(dir_.file("backup.bin"), "the user's own copy");
  std::filesystem::create_hard_link(dir_.file("backup.bin"), dir_.file("wd/priv_key.bin"));
  WriteRaw(dir_.file("wd/rand.bin"), "seed");

  ASSERT_EQ(wipe(dir_.file("wd")), FolderState::kUsable);

  EXPECT_EQ(left_, std::vector<std::string>{"priv_key.bin has several names"});
  EXPECT_EQ(ReadRaw(dir_.file("backup.bin")), "the user's own copy");
  EXPECT_EQ(ReadRaw(dir_.file("wd/priv_key.bin")), "the user's own copy");
  EXPECT_EQ(ListFolder(dir_.file("wd")), "priv_key.bin\n");
}

TEST_F(Wipe, SubFolderIsNeitherEnteredNorRemovedSoTheFolderStays) {
  std::filesystem::create_directory(dir_.file("sub"));
  WriteRaw(dir_.file("sub/inner.bin"), "inner");
  WriteRaw(dir_.file("top.bin"), "top");

  ASSERT_EQ(wipe(folder()), FolderState::kUsable);

  EXPECT_TRUE(left_.empty());
  EXPECT_EQ(files_.overwritten, std::vector<std::string>{"top.bin"});
  EXPECT_EQ(ReadRaw(dir_.file("sub/inner.bin")), "inner");
  EXPECT_EQ(ListFolder(dir_.path()), "sub\n");
}

TEST_F(Wipe, FolderThatCannotBeListedIsReportedAndNothingIsTouched) {
  WriteRaw(dir_.file("plain.bin"), "a file, no folder");
  for (const std::string& where : {dir_.file("missing"), dir_.file("plain.bin")}) {
    EXPECT_EQ(wipe(where), FolderState::kCannotList) << where;
  }
  EXPECT_TRUE(files_.overwritten.empty());
  EXPECT_EQ(files_.folderRemovals, 0);
  EXPECT_TRUE(left_.empty());
  EXPECT_EQ(ReadRaw(dir_.file("plain.bin")), "a file, no folder");
}

#ifdef _WIN32
TEST(SystemFiles, DriveRootIsNotAFolderToWipe) {
  // A root lists no ".."; refusing it keeps a wrong path from wiping a whole drive.
  SystemFiles files;
  ASSERT_EQ(files.openFolder("C:\\"), FolderState::kUsable);
  EXPECT_FALSE(files.list());
}

TEST_F(Wipe, OpenFolderCannotBeRenamedAwayUnderTheWipe) {
  std::filesystem::create_directory(dir_.file("wd"));
  WriteRaw(dir_.file("wd/priv_key.bin"), "key");
  std::error_code renamed;
  files_.afterOpen = [&] { std::filesystem::rename(dir_.file("wd"), dir_.file("wd.moved"), renamed); };

  ASSERT_EQ(wipe(dir_.file("wd")), FolderState::kUsable);

  EXPECT_TRUE(renamed) << "the folder was renamed while open";
  EXPECT_FALSE(Exists(dir_.file("wd")));
}
#else
// Someone who may change the folder's parent puts a link to other files in its place.
class WipeLinkedAway : public Wipe {
 protected:
  WipeLinkedAway() {
    std::filesystem::create_directory(dir_.file("other"));
    WriteRaw(dir_.file("other/document.txt"), "the user's own file");
    std::filesystem::create_directory(dir_.file("wd"));
    WriteRaw(dir_.file("wd/priv_key.bin"), "key");
  }
  void linkInPlaceOfTheFolder() {
    std::filesystem::rename(dir_.file("wd"), dir_.file("wd.moved"));
    std::filesystem::create_directory_symlink(dir_.file("other"), dir_.file("wd"));
  }
  void expectOtherUntouched() {
    EXPECT_EQ(ListFolder(dir_.file("other")), "document.txt\n");
    EXPECT_EQ(ReadRaw(dir_.file("other/document.txt")), "the user's own file");
  }
};

TEST_F(WipeLinkedAway, FolderThatIsALinkIsRefusedWithNothingTouched) {
  linkInPlaceOfTheFolder();
  for (const std::string& where : {dir_.file("wd"), dir_.file("wd/")}) {
    EXPECT_EQ(wipe(where), FolderState::kLink) << where;
  }
  EXPECT_TRUE(files_.overwritten.empty());
  EXPECT_EQ(files_.folderRemovals, 0);
  expectOtherUntouched();
  EXPECT_EQ(ReadRaw(dir_.file("wd.moved/priv_key.bin")), "key");
}

TEST_F(WipeLinkedAway, FolderReplacedByALinkOnceOpenIsStillTheOneWiped) {
  files_.afterOpen = [this] { linkInPlaceOfTheFolder(); };

  ASSERT_EQ(wipe(dir_.file("wd")), FolderState::kUsable);

  EXPECT_EQ(files_.overwritten, std::vector<std::string>{"priv_key.bin"});
  expectOtherUntouched();
  EXPECT_EQ(ListFolder(dir_.file("wd.moved")), "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("wd")));
}

TEST_F(Wipe, LinkIsReportedAndItsTargetOutsideTheFolderLeftAlone) {
  std::filesystem::create_directory(dir_.file("wd"));
  WriteRaw(dir_.file("target.txt"), "the user's own file");
  std::filesystem::create_symlink(dir_.file("target.txt"), dir_.file("wd/link"));

  ASSERT_EQ(wipe(dir_.file("wd")), FolderState::kUsable);

  EXPECT_EQ(left_, std::vector<std::string>{"link failed"});
  EXPECT_EQ(ReadRaw(dir_.file("target.txt")), "the user's own file");
}

// A FIFO would block the wipe forever if opened for writing; it is reported at once and the
// files beside it still go.
TEST_F(Wipe, FifoIsReportedAtOnceAndTheWipeGoesOn) {
  std::filesystem::create_directory(dir_.file("wd"));
  ASSERT_EQ(::mkfifo(dir_.file("wd/fifo").c_str(), 0600), 0);
  WriteRaw(dir_.file("wd/priv_key.bin"), "secret");
  std::future<FolderState> done = std::async(std::launch::async, [this] { return wipe(dir_.file("wd")); });
  if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ::close(::open(dir_.file("wd/fifo").c_str(), O_RDONLY | O_NONBLOCK));  // lets the blocked open return
    FAIL() << "the wipe waited on a FIFO";
  }
  EXPECT_EQ(done.get(), FolderState::kUsable);
  EXPECT_EQ(left_, std::vector<std::string>{"fifo failed"});
  EXPECT_FALSE(Exists(dir_.file("wd/priv_key.bin")));
}
#endif

}  // namespace
}  // namespace qs::clean::test
