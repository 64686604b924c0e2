#include "tests/clean/spy_files.h"

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace qs::clean::test {

FolderState SpyFiles::openFolder(const std::string& folder) {
  folder_ = folder;
  const FolderState state = system_.openFolder(folder);
  if (state == FolderState::kUsable && afterOpen) afterOpen();
  return state;
}

std::optional<std::vector<FolderEntry>> SpyFiles::list() { return system_.list(); }

FileWipe SpyFiles::overwrite(const std::string& name, const FillBytes& fill) {
  overwritten.push_back(name);
  return system_.overwrite(name, fill);
}

bool SpyFiles::removeFile(const std::string& name) {
  removedContent[name] = qs::test::ReadRaw(folder_ + "/" + name);
  return system_.removeFile(name);
}

bool SpyFiles::removeFolder() {
  ++folderRemovals;
  return system_.removeFolder();
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
