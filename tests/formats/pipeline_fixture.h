#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "crypto/random_generator.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs::test {

// A temporary folder, a seeded generator and plain files of chosen sizes whose content is
// half text, half noise, so that compression has something to find and something not.
class PipelineTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string makePlain(const std::string& name, std::size_t size);
  // The names in the folder, one per line.
  std::string listing() const { return ListFolder(dir_.path()); }

  std::unique_ptr<RandomGenerator> generator_ = SeededGenerator();
  const TestKeyPair& alice_ = KeyPairOf("alice");  // encryption 2048, signing 4096
  const TestKeyPair& bob_ = KeyPairOf("bob");      // encryption 4096, signing 2048
  const TestKeyPair& carol_ = KeyPairOf("carol");  // 2048 and 2048

 private:
  TempFolder dir_;
};

std::string PlainContent(std::size_t size);

// Overwrites one byte of a file in place and gives back the old value.
std::uint8_t PatchByte(const std::string& path, std::uint64_t offset, std::uint8_t xorMask);

}  // namespace qs::test
