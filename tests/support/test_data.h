#pragma once
#include <cstddef>
#include <string>

namespace qs::test {

struct EmbeddedFile {
  const char* path;  // relative to tests/data
  const unsigned char* bytes;
  std::size_t size;
};

// Generated at build time from tests/data; ends with a null path.
extern const EmbeddedFile kEmbeddedFiles[];
// The same from app/win32/art: the icons Explorer shows, the program's and its file types'.
extern const EmbeddedFile kEmbeddedShellIcons[];

// The content of tests/data/<path>; fails the calling test when there is no such file.
std::string TestData(const std::string& path);

}  // namespace qs::test
