// The icons Explorer shows for the program and its file types: each holds the sizes the
// shell asks for, and each of its images lies inside the file with the size its entry names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "tests/support/test_data.h"

namespace qs {
namespace {

std::uint32_t Little(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::uint32_t Big32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The side of one image: a PNG names it in its IHDR (big-endian width and height at 16), a
// bitmap in its 40-byte header (width, then the height of image and mask together).
std::uint32_t ImageSide(const unsigned char* image, std::uint32_t size, const std::string& what) {
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 24 && std::equal(kPng, kPng + 8, image)) {
    EXPECT_EQ(Big32(image + 16), Big32(image + 20)) << what << ": not square";
    return Big32(image + 16);
  }
  if (size >= 40 && Little(image, 4) == 40) {
    EXPECT_EQ(2 * Little(image + 4, 4), Little(image + 8, 4)) << what << ": image and mask";
    return Little(image + 4, 4);
  }
  ADD_FAILURE() << what << ": neither PNG nor bitmap";
  return 0;
}

// The sides of an icon's images. Its layout: u16 0, u16 1 (icon), u16 count, then per image
// u8 width and u8 height (0 for 256), u8 colours, u8 0, u16 planes, u16 bits, u32 size and
// u32 offset of the image.
std::set<std::uint32_t> IconSides(const test::EmbeddedFile& icon) {
  const std::string name = icon.path;
  if (icon.size < 6 || Little(icon.bytes, 2) != 0 || Little(icon.bytes + 2, 2) != 1) {
    ADD_FAILURE() << name << ": no icon header";
    return {};
  }
  const std::uint32_t count = Little(icon.bytes + 4, 2);
  if (icon.size < 6 + 16 * count) {
    ADD_FAILURE() << name << ": entries beyond the end";
    return {};
  }
  std::set<std::uint32_t> sides;
  for (std::uint32_t i = 0; i < count; ++i) {
    const unsigned char* entry = icon.bytes + 6 + 16 * i;
    const std::string what = name + " image " + std::to_string(i);
    const std::uint32_t side = entry[0] == 0 ? 256 : entry[0];
    EXPECT_EQ(entry[0], entry[1]) << what << ": not square";
    const std::uint32_t size = Little(entry + 8, 4);
    const std::uint32_t offset = Little(entry + 12, 4);
    if (offset > icon.size || size > icon.size - offset) {
      ADD_FAILURE() << what << ": beyond the end of the file";
      continue;
    }
    EXPECT_EQ(ImageSide(icon.bytes + offset, size, what), side) << what;
    sides.insert(side);
  }
  return sides;
}

TEST(ShellIcons, TheProgramAndEveryFileTypeHaveTheUsualSizes) {
  const std::set<std::string> expected{"program.ico",
                                       "file_encrypted.ico",
                                       "file_signature.ico",
                                       "file_certificate.ico",
                                       "file_certification.ico",
                                       "file_public_key.ico",
                                       "file_public_cert_key.ico",
                                       "file_private_cert_key.ico",
                                       "file_key_backup.ico"};
  std::set<std::string> found;
  for (const test::EmbeddedFile* icon = test::kEmbeddedShellIcons; icon->path != nullptr; ++icon) {
    found.insert(icon->path);
    const std::set<std::uint32_t> sides = IconSides(*icon);
    for (const std::uint32_t side : {16u, 32u, 48u, 256u}) {
      EXPECT_TRUE(sides.contains(side)) << icon->path << " has no " << side << " x " << side << " image";
    }
  }
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace qs
