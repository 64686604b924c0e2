// Replays the saved corpus of every fuzz target, so each finding that was fixed stays fixed
// and the seeds keep decoding, in the native and the sanitizer runs. The Windows run has no
// path to the source tree and skips it.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/fuzz_target.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {

const fuzz::FixedKeyPair& fuzz::FixedKeys() {
  static const FixedKeyPair keys{test::KeyPairOf("carol").privateRecord,
                                 test::KeyPairOf("carol").publicRecord};
  return keys;
}

namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryTargetRunsItsSavedInputs) {
  const fs::path root(QS_FUZZ_CORPUS);
  std::error_code error;
  if (!fs::is_directory(root, error)) GTEST_SKIP() << "no corpus at " << root.string();
  ASSERT_GE(fuzz::Targets().size(), 14u);
  for (const fuzz::NamedTarget& target : fuzz::Targets()) {
    SCOPED_TRACE(target.name);
    std::size_t inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(root / target.name, error)) {
      const std::string bytes = test::ReadRaw(entry.path().string());
      target.run(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
      ++inputs;
    }
    EXPECT_GT(inputs, 0u) << "a target without seeds";
  }
}

}  // namespace
}  // namespace qs
