#include "tests/clean/spy_files.h"

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace qs::clean::test {

std::optional<std::vector<FolderEntry>> SpyFiles::list(const std::string& folder) {
  ++lists;
  return system_.list(folder);
}

bool SpyFiles::overwrite(const std::string& path, const FillBytes& fill) {
  overwritten.push_back(path);
  return system_.overwrite(path, fill);
}

bool SpyFiles::removeFile(const std::string& path) {
  removedContent[path] = qs::test::ReadRaw(path);
  return system_.removeFile(path);
}

bool SpyFiles::removeFolder(const std::string& path) {
  removedFolders.push_back(path);
  return system_.removeFolder(path);
}

std::uint8_t StreamByte(std::uint64_t i) {
  return static_cast<std::uint8_t>(0xA5 ^ i ^ (i >> 8) ^ (i >> 16));
}

std::string StreamBytes(std::uint64_t from, std::size_t count) {
  std::string s(count, '\0');
  for (std::size_t i = 0; i < count; ++i) s[i] = static_cast<char>(StreamByte(from + i));
  return s;
}

FillBytes StreamFill(std::uint64_t& position) {
  return [&position](std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = StreamByte(position++);
  };
}

namespace {
std::filesystem::path Utf8Path(const std::string& s) {
  return std::filesystem::path(std::u8string(s.begin(), s.end()));
}
}  // namespace

bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(Utf8Path(path), ignored);
}

void SetReadOnly(const std::string& path, bool readOnly) {
  using std::filesystem::perms;
  std::filesystem::permissions(
      Utf8Path(path), perms::owner_write | perms::group_write | perms::others_write,
      readOnly ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add);
}

}  // namespace qs::clean::test
