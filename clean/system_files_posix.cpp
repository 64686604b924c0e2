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

bool OverwriteOpen(int fd, const FillBytes& fill) {
  struct stat st;
  // Root may write any file; treat one its owner may not write as read-only, as Windows does.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return false;
  std::uint64_t left = static_cast<std::uint64_t>(st.st_size);
  WriteChunk chunk;
  while (left > 0) {
    const std::size_t n = chunk.next(left, fill);
    if (!WriteAll(fd, chunk.data(), n)) return false;
    left -= n;
  }
  return ::fsync(fd) == 0;
}

}  // namespace

std::optional<std::vector<FolderEntry>> SystemFiles::list(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (const dirent* d = ::readdir(dir)) {
    struct stat st;
    const std::string name = d->d_name;
    const bool isFolder = ::lstat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries.push_back({name, isFolder});
  }
  ::closedir(dir);
  return entries;
}

bool SystemFiles::overwrite(const std::string& path, const FillBytes& fill) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = OverwriteOpen(fd, fill);
  return ::close(fd) == 0 && written;
}

bool SystemFiles::removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool SystemFiles::removeFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

}  // namespace qs::clean
