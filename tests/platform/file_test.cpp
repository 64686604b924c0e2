#include "platform/file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/support/temp_folder.h"

namespace qs::platform {
namespace {

using test::ListFolder;
using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

TEST(AtomicFileWriter, ReplacesTheTargetOnlyOnCommit) {
  TempFolder dir;
  const std::string target = dir.file("target");
  WriteRaw(target, "old");
  {
    auto writer = AtomicFileWriter::begin(target);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->file().write(reinterpret_cast<const std::uint8_t*>("new!"), 4));
    EXPECT_EQ(ReadRaw(target), "old");
    EXPECT_EQ(ListFolder(dir.path()).find("target\n"), 0u);
    ASSERT_TRUE(writer->commit());
    EXPECT_FALSE(writer->commit());
  }
  EXPECT_EQ(ReadRaw(target), "new!");
  EXPECT_EQ(ListFolder(dir.path()), "target\n");
}

TEST(AtomicFileWriter, AbandonedWriteLeavesNoTraceAndTheTargetAlone) {
  TempFolder dir;
  const std::string target = dir.file("target");
  WriteRaw(target, "old");
  {
    auto writer = AtomicFileWriter::begin(target);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->file().write(reinterpret_cast<const std::uint8_t*>("partial"), 7));
  }
  EXPECT_EQ(ReadRaw(target), "old");
  EXPECT_EQ(ListFolder(dir.path()), "target\n");
}

#ifndef _WIN32
// The umask of the test program, set for one test and put back after it.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : saved_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(saved_); }

 private:
  mode_t saved_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// The temporary file has its final mode before a byte of the content is written.
TEST(AtomicFileWriter, ModesFollowTheAccessTheUmaskAndTheReplacedFile) {
  const ScopedUmask usual(022);
  TempFolder dir;
  WriteRaw(dir.file("shared"), "x");
  ::chmod(dir.file("shared").c_str(), 0664);
  WriteRaw(dir.file("private"), "x");
  ::chmod(dir.file("private").c_str(), 0600);
  WriteRaw(dir.file("wide key"), "x");
  ::chmod(dir.file("wide key").c_str(), 0644);
  struct Case {
    const char* target;
    FileAccess access;
    mode_t mode;
  };
  for (const Case& c : {Case{"new", FileAccess::kUsual, 0644}, Case{"new key", FileAccess::kOwnerOnly, 0600},
                        Case{"shared", FileAccess::kUsual, 0664}, Case{"private", FileAccess::kUsual, 0600},
                        Case{"wide key", FileAccess::kOwnerOnly, 0600}}) {
    auto writer = AtomicFileWriter::begin(dir.file(c.target), c.access);
    ASSERT_TRUE(writer) << c.target;
    EXPECT_EQ(ModeOf(writer->temporaryPath()), c.mode) << c.target;
    ASSERT_TRUE(writer->commit());
    EXPECT_EQ(ModeOf(dir.file(c.target)), c.mode) << c.target;
  }
  const ScopedUmask strict(077);
  auto writer = AtomicFileWriter::begin(dir.file("shared"));
  ASSERT_TRUE(writer && writer->commit());
  EXPECT_EQ(ModeOf(dir.file("shared")), 0664u) << "a replacement keeps its mode whatever the umask";
  // A link at the target lends no mode: the new file replaces the link, not what it points to.
  WriteRaw(dir.file("open to all"), "x");
  ::chmod(dir.file("open to all").c_str(), 0666);
  ASSERT_EQ(::symlink("open to all", dir.file("link").c_str()), 0);
  auto replacing = AtomicFileWriter::begin(dir.file("link"));
  ASSERT_TRUE(replacing && replacing->commit());
  EXPECT_EQ(ModeOf(dir.file("link")), 0600u) << "the umask's, not the linked file's";
  EXPECT_EQ(ModeOf(dir.file("open to all")), 0666u);
  EXPECT_EQ(ReadRaw(dir.file("open to all")), "x");
  EXPECT_TRUE(CreateFolder(dir.file("folder")));
  EXPECT_EQ(ModeOf(dir.file("folder")), 0700u);
  EXPECT_FALSE(FolderOpenToOthers(dir.file("folder")));
  ::chmod(dir.file("folder").c_str(), 0711);
  EXPECT_TRUE(FolderOpenToOthers(dir.file("folder")));
}

// Plaintext is nobody else's while it is written, and gets the mode it would have had (the
// umask's, or the replaced file's) only once it is complete.
TEST(AtomicFileWriter, PlaintextIsOwnerOnlyUntilItIsInPlace) {
  const ScopedUmask usual(022);
  TempFolder dir;
  WriteRaw(dir.file("shared"), "x");
  ::chmod(dir.file("shared").c_str(), 0664);
  for (const auto& [target, final] : {std::pair{"new", 0644u}, std::pair{"shared", 0664u}}) {
    auto writer = AtomicFileWriter::begin(dir.file(target), FileAccess::kPlaintext);
    ASSERT_TRUE(writer);
    EXPECT_EQ(ModeOf(writer->temporaryPath()), 0600u) << target;
    ASSERT_TRUE(writer->commit());
    EXPECT_EQ(ModeOf(dir.file(target)), final) << target;
  }
}
#endif

// Without leave to replace, a file that appeared at the target while the new one was written
// is kept, and the new one goes.
TEST(AtomicFileWriter, NeverReplacesAFileThatAppeared) {
  TempFolder dir;
  auto writer = AtomicFileWriter::begin(dir.file("target"), FileAccess::kUsual, Overwrite::kNever);
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->file().write(reinterpret_cast<const std::uint8_t*>("new"), 3));
  WriteRaw(dir.file("target"), "appeared");
  EXPECT_FALSE(writer->commit());
  EXPECT_EQ(ReadRaw(dir.file("target")), "appeared");
  EXPECT_EQ(ListFolder(dir.path()), "target\n");
  auto second = AtomicFileWriter::begin(dir.file("free"), FileAccess::kUsual, Overwrite::kNever);
  ASSERT_TRUE(second && second->commit());
  EXPECT_EQ(ListFolder(dir.path()), "free\ntarget\n");
}

TEST(File, SamePlaceIsWhereTwoOutputsWouldLand) {
  TempFolder dir;
  WriteRaw(dir.file("a"), "x");
  EXPECT_TRUE(SamePlace(dir.file("a"), dir.path() + "/./a"));
  EXPECT_TRUE(SamePlace(dir.file("new"), dir.path() + "/./new")) << "neither exists yet";
  EXPECT_FALSE(SamePlace(dir.file("new"), dir.file("other")));
  EXPECT_FALSE(SamePlace(dir.file("new"), dir.file("a")));
#ifdef _WIN32
  EXPECT_TRUE(SamePlace(dir.file("New.TXT"), dir.file("new.txt")));
#else
  EXPECT_FALSE(SamePlace(dir.file("New.TXT"), dir.file("new.txt")));
#endif
}

TEST(File, UnicodeNamesSeekAndSize) {
  TempFolder dir;
  const std::string name = dir.file("r\xC3\xA4ksm\xC3\xB6rg\xC3\xA5s \xE2\x82\xAC.bin");  // räksmörgås €
  auto file = File::create(name);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write(reinterpret_cast<const std::uint8_t*>("abcdef"), 6));
  ASSERT_TRUE(file->seek(2));
  ASSERT_TRUE(file->write(reinterpret_cast<const std::uint8_t*>("XY"), 2));
  EXPECT_EQ(file->size().value_or(0), 6u);
  ASSERT_TRUE(file->close());
  auto in = File::openRead(name);
  ASSERT_TRUE(in);
  std::uint8_t buf[8] = {};
  EXPECT_TRUE(in->readFull(buf, 6));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "abXYef");
  EXPECT_FALSE(in->readFull(buf, 1));
  in.reset();  // Windows refuses to delete an open file
  EXPECT_TRUE(FileExists(name));
  EXPECT_TRUE(RemoveFile(name));
  EXPECT_FALSE(FileExists(name));
  EXPECT_FALSE(File::openRead(name));
}

TEST(File, SameFileComparesIdentityNotSpelling) {
  TempFolder dir;
  WriteRaw(dir.file("a"), "x");
  WriteRaw(dir.file("b"), "x");
  EXPECT_TRUE(SameFile(dir.file("a"), dir.path() + "/./a"));
  EXPECT_TRUE(SameFile(dir.file("a"),
                       dir.path() + "/../" + dir.path().substr(dir.path().find_last_of('/') + 1) + "/a"));
  EXPECT_FALSE(SameFile(dir.file("a"), dir.file("b")));
  EXPECT_FALSE(SameFile(dir.file("a"), dir.file("missing")));
  // Two names of one file: the identity is the file's, not its name's.
  std::filesystem::create_hard_link(dir.file("a"), dir.file("second name"));
  EXPECT_TRUE(SameFile(dir.file("a"), dir.file("second name")));
  EXPECT_FALSE(SameFile(dir.file("b"), dir.file("second name")));
}

// Only plain files are sources: a folder, a device or a pipe is refused at once, not waited on.
TEST(File, OnlyPlainFilesOpenForReading) {
  TempFolder dir;
  EXPECT_FALSE(File::openRead(dir.path()));
#ifdef _WIN32
  EXPECT_FALSE(File::openRead("\\\\.\\PhysicalDrive0"));  // raw disks and volumes are disk files too
  EXPECT_FALSE(File::openRead("\\\\.\\C:"));
  EXPECT_FALSE(File::openRead("NUL"));
  EXPECT_FALSE(File::openRead("CON"));
#else
  EXPECT_FALSE(File::openRead("/dev/null"));
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::future<bool> opened = std::async(std::launch::async, [&] { return File::openRead(fifo).has_value(); });
  if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the blocked open return
    FAIL() << "opening a FIFO waited for a writer";
  }
  EXPECT_FALSE(opened.get());
#endif
}

TEST(File, CreateFolderIsIdempotent) {
  TempFolder dir;
  EXPECT_TRUE(CreateFolder(dir.file("sub")));
  EXPECT_TRUE(CreateFolder(dir.file("sub")));
  EXPECT_FALSE(CreateFolder(dir.file("no/such/sub")));
}

}  // namespace
}  // namespace qs::platform
