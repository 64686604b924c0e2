#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace qs::test {
namespace fs = std::filesystem;

namespace {
fs::path Utf8Path(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }
}  // namespace

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path p = fs::temp_directory_path() /
                     ("qs-test-" + std::to_string(ticks) + "-" + std::to_string(counter.fetch_add(1)));
  fs::create_directories(p);
  // Private, as a working folder should be (the command line warns about any other).
  fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace);
  path_ = p.generic_string();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ReadRaw(const std::string& path) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ListFolder(const std::string& path) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(Utf8Path(path)))
    names.insert(entry.path().filename().generic_string());
  std::string out;
  for (const auto& n : names) out += n + "\n";
  return out;
}

}  // namespace qs::test
