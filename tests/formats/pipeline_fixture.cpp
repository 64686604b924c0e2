#include "tests/formats/pipeline_fixture.h"

#include <filesystem>
#include <fstream>

namespace qs::test {

std::string PlainContent(std::size_t size) {
  static const std::string words = "the quick brown fox jumps over the lazy dog; r\xE4ksm\xF6rg\xE5s ";
  std::string out(size, '\0');
  std::uint32_t noise = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    if ((i / 4096) % 2 == 0) {
      out[i] = words[i % words.size()];
    } else {
      noise = noise * 1103515245u + 12345u;
      out[i] = static_cast<char>(noise >> 24);
    }
  }
  return out;
}

std::string PipelineTest::makePlain(const std::string& name, std::size_t size) {
  WriteRaw(path(name), PlainContent(size));
  return path(name);
}

std::uint8_t PatchByte(const std::string& path, std::uint64_t offset, std::uint8_t xorMask) {
  std::fstream f(std::filesystem::path(std::u8string(path.begin(), path.end())),
                 std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(static_cast<std::streamoff>(offset));
  char old = 0;
  f.get(old);
  f.seekp(static_cast<std::streamoff>(offset));
  f.put(static_cast<char>(old ^ static_cast<char>(xorMask)));
  EXPECT_TRUE(f.good()) << path << " at " << offset;
  return static_cast<std::uint8_t>(old);
}

}  // namespace qs::test
