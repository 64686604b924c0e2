#include "tests/support/test_data.h"

#include <gtest/gtest.h>

namespace qs::test {

std::string TestData(const std::string& path) {
  for (const EmbeddedFile* f = kEmbeddedFiles; f->path != nullptr; ++f) {
    if (path == f->path) return std::string(reinterpret_cast<const char*>(f->bytes), f->size);
  }
  ADD_FAILURE() << "no test data file " << path;
  return {};
}

}  // namespace qs::test
