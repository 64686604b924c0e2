#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "clean/system_files.h"
#include "clean/write_chunk.h"

namespace qs::clean {
namespace {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

FileWipe OverwriteOpen(int fd, const FillBytes& fill) {
  struct stat st;
  // Root may write any file; treat one its owner may not write as read-only, as Windows does.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return FileWipe::kFailed;
  if (st.st_nlink > 1) return FileWipe::kSeveralNames;
  std::uint64_t left = static_cast<std::uint64_t>(st.st_size);
  WriteChunk chunk;
  while (left > 0) {
    const std::size_t n = chunk.next(left, fill);
    if (!WriteAll(fd, chunk.data(), n)) return FileWipe::kFailed;
    left -= n;
  }
  return ::fsync(fd) == 0 ? FileWipe::kDone : FileWipe::kFailed;
}

bool IsLink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

SystemFiles::~SystemFiles() { closeFolder(); }

void SystemFiles::closeFolder() {
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

FolderState SystemFiles::openFolder(const std::string& folder) {
  closeFolder();
  path_ = folder;
  // With a trailing slash the system would follow a link in the folder's place.
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  folder_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder_ >= 0) return FolderState::kUsable;
  return IsLink(path_) ? FolderState::kLink : FolderState::kCannotList;
}

std::optional<std::vector<FolderEntry>> SystemFiles::list() {
  // fdopendir takes over the descriptor it is given; the folder's own stays for the wipe.
  const int listed = ::dup(folder_);
  DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
  if (dir == nullptr) {
    if (listed >= 0) ::close(listed);
    return std::nullopt;
  }
  ::rewinddir(dir);  // the copy shares its position with the folder's descriptor
  std::vector<FolderEntry> entries;
  while (const dirent* d = ::readdir(dir)) {
    struct stat st;
    const bool isFolder = ::fstatat(folder_, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    entries.push_back({d->d_name, isFolder});
  }
  ::closedir(dir);
  return entries;
}

FileWipe SystemFiles::overwrite(const std::string& name, const FillBytes& fill) {
  // Only plain files are opened: opening a device may act on it, and a FIFO would wait for a
  // reader forever. Not blocking either, should one be put in the file's place meanwhile;
  // OverwriteOpen refuses it then.
  struct stat st;
  if (::fstatat(folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
    return FileWipe::kFailed;
  }
  const int fd = ::openat(folder_, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FileWipe::kFailed;
  const FileWipe written = OverwriteOpen(fd, fill);
  return ::close(fd) == 0 ? written : FileWipe::kFailed;
}

bool SystemFiles::removeFile(const std::string& name) { return ::unlinkat(folder_, name.c_str(), 0) == 0; }

bool SystemFiles::removeFolder() {
  closeFolder();
  // By path: a link put in its place meanwhile is no folder, and rmdir refuses it.
  return ::rmdir(path_.c_str()) == 0;
}

}  // namespace qs::clean
