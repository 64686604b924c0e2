#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/file.h"
#include "platform/file_os.h"

namespace qs::fuzz {

std::vector<NamedTarget>& Targets() {
  static std::vector<NamedTarget> targets;
  return targets;
}

bool Register(const char* name, Target run) {
  Targets().push_back(NamedTarget{name, run});
  return true;
}

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz target failed: %s\n", what);
  std::abort();
}

std::string WriteInputFile(std::span<const std::uint8_t> data) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("qs-fuzz-input-" + std::to_string(platform::os::ProcessId())))
          .string();
  std::optional<platform::File> file = platform::File::create(path);
  if (!file || !file->write(data.data(), data.size()) || !file->close()) Fail("cannot write the input file");
  return path;
}

}  // namespace qs::fuzz
