#include "base/whole_file.h"

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "tests/support/hex.h"
#include "tests/support/temp_folder.h"

namespace qs {
namespace {

using test::ReadRaw;
using test::TempFolder;
using test::WriteRaw;

ByteBuffer Pattern(std::uint32_t n) {
  ByteBuffer b = ByteBuffer::zeros(n);
  for (std::uint32_t i = 0; i < n; ++i) b.data()[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}

TEST(WholeFile, RoundTripsAcrossPieceBoundaries) {
  TempFolder dir;
  for (std::uint32_t n :
       {0u, 1u, kWholeFilePiece - 1, kWholeFilePiece, kWholeFilePiece + 1, 3 * kWholeFilePiece}) {
    ByteStream out(Pattern(n));
    ProgressHook hook;
    out.progress = &hook;
    ASSERT_TRUE(WriteWholeFile(out, dir.file("f.bin")));
    EXPECT_EQ(hook.count.load(), static_cast<std::int32_t>(n));
    EXPECT_EQ(ReadRaw(dir.file("f.bin")).size(), n + 4u);

    ByteStream in;
    in.cursor = 9;
    ProgressHook readHook;
    in.progress = &readHook;
    ASSERT_TRUE(ReadWholeFile(in, dir.file("f.bin")));
    EXPECT_TRUE(in.bytes.equals(Pattern(n))) << n;
    EXPECT_EQ(in.cursor, 0u);
    EXPECT_EQ(readHook.count.load(), static_cast<std::int32_t>(n));
  }
  EXPECT_EQ(test::ListFolder(dir.path()), "f.bin\n");
}

TEST(WholeFile, EmptyOrShortPrefixFilesReadAsEmpty) {
  TempFolder dir;
  ByteStream s(test::FromHex("cafe"));
  WriteRaw(dir.file("empty"), "");
  ASSERT_TRUE(ReadWholeFile(s, dir.file("empty")));
  EXPECT_TRUE(s.bytes.empty());
  s.bytes = test::FromHex("cafe");
  WriteRaw(dir.file("zero"), std::string(2, '\0'));
  EXPECT_TRUE(ReadWholeFile(s, dir.file("zero")));
  EXPECT_TRUE(s.bytes.empty());
}

TEST(WholeFile, DamagedFilesFailAndKeepThePreviousContent) {
  TempFolder dir;
  ByteStream s(test::FromHex("cafe"));
  // Claims 2^30 + 1 bytes; claims a gigabyte in an 8-byte file; claims one byte more.
  WriteRaw(dir.file("huge"), std::string("\x01\0\0\x40", 4));
  WriteRaw(dir.file("liar"), std::string("\0\0\0\x40"
                                         "abcd",
                                         8));
  WriteRaw(dir.file("short"), std::string("\x05\0\0\0"
                                          "abcd",
                                          8));
  WriteRaw(dir.file("two"), std::string("\x05\0", 2));
  // No writer puts a byte after the content, so one there is damage, not something to skip.
  WriteRaw(dir.file("trailing"), std::string("\x02\0\0\0"
                                             "abX",
                                             7));
  WriteRaw(dir.file("after empty"), std::string("\0\0\0\0\0", 5));
  // Each says why, with the bytes a cut-short file has and needs.
  using P = WholeFileProblem;
  const struct {
    const char* name;
    WholeFileProblem problem;
  } cases[] = {
      {"huge", {P::kTooLong}},           {"liar", {P::kTruncated, 8, 4 + (1u << 30)}},
      {"short", {P::kTruncated, 8, 9}},  {"two", {P::kTruncated, 2, 7}},
      {"trailing", {P::kTrailingBytes}}, {"after empty", {P::kTrailingBytes}},
      {"missing", {P::kSystem}},
  };
  for (const auto& c : cases) {
    WholeFileProblem problem;
    EXPECT_FALSE(ReadWholeFile(s, dir.file(c.name), &problem)) << c.name;
    EXPECT_EQ(test::ToHex(s.bytes), "cafe") << c.name;
    EXPECT_EQ(problem.kind, c.problem.kind) << c.name;
    EXPECT_EQ(problem.size, c.problem.size) << c.name;
    EXPECT_EQ(problem.needed, c.problem.needed) << c.name;
  }
  WholeFileProblem problem;
  EXPECT_FALSE(ReadWholeFile(s, dir.path(), &problem));  // a folder is no file
  EXPECT_EQ(problem.kind, P::kSystem);
  EXPECT_EQ(platform::LastFileError(), platform::FileError::kIsFolder);
}

TEST(WholeFile, CancelStopsReadingAndWritingWithoutTouchingTheTarget) {
  TempFolder dir;
  const std::string target = dir.file("t.bin");
  WriteRaw(target, "older");
  ProgressHook hook;
  hook.cancel = 1;
  ByteStream out(Pattern(kWholeFilePiece * 2));
  out.progress = &hook;
  EXPECT_FALSE(WriteWholeFile(out, target));
  EXPECT_EQ(ReadRaw(target), "older");
  EXPECT_EQ(hook.count.load(), 0);  // the flag is seen before the count grows
  EXPECT_EQ(test::ListFolder(dir.path()), "t.bin\n");

  out.progress = nullptr;
  ASSERT_TRUE(WriteWholeFile(out, target));
  ByteStream in;
  in.progress = &hook;
  EXPECT_FALSE(ReadWholeFile(in, target));
  EXPECT_TRUE(in.bytes.empty());
}

TEST(WholeFile, WriteIntoAMissingFolderFails) {
  TempFolder dir;
  EXPECT_FALSE(WriteWholeFile(ByteStream(Pattern(3)), dir.file("no/such/folder.bin")));
}

}  // namespace
}  // namespace qs
