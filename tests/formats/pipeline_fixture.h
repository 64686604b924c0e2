#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "crypto/random_generator.h"
#include "formats/file_job.h"
#include "formats/file_result.h"
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
  // A job from source to target with the seeded generator.
  FileJob job(const std::string& source, const std::string& target,
              ChunkCompression compression = ChunkCompression::kNone, ChunkProgress* chunks = nullptr) const {
    FileJob job;
    job.source = source;
    job.target = target;
    job.generator = generator_.get();
    job.compression = compression;
    job.chunks = chunks;
    return job;
  }

  std::unique_ptr<RandomGenerator> generator_ = SeededGenerator();
  const TestKeyPair& alice_ = KeyPairOf("alice");  // encryption 2048, signing 4096
  const TestKeyPair& bob_ = KeyPairOf("bob");      // encryption 4096, signing 2048
  const TestKeyPair& carol_ = KeyPairOf("carol");  // 2048 and 2048

 private:
  TempFolder dir_;
};

std::string PlainContent(std::size_t size);

// Whether a pipeline succeeded, with its code on failure and the binding on success, for
// tests that look only at those.
inline bool Ran(const FileResult& result, ResultCode& code, SenderBinding* binding = nullptr) {
  if (!result) code = *result.failure;
  if (result && binding != nullptr) *binding = result.binding;
  return result.ok();
}

// Overwrites one byte of a file in place and gives back the old value.
std::uint8_t PatchByte(const std::string& path, std::uint64_t offset, std::uint8_t xorMask);

}  // namespace qs::test
