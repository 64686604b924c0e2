#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/file.h"
#include "platform/file_error.h"
#include "platform/file_fault.h"
#include "platform/file_os.h"
#include "platform/working_folder.h"

namespace qs::platform {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

FileError FromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FileError::kNotFound;
    case EISDIR:
      return FileError::kIsFolder;
    case EACCES:
    case EPERM:
      return FileError::kNoPermission;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileError::kDiskFull;
    case ENAMETOOLONG:
      return FileError::kNameTooLong;
    case EROFS:
      return FileError::kReadOnly;
    case ETXTBSY:
    case EBUSY:
      return FileError::kInUse;
    case ENXIO:
    case ENODEV:
      return FileError::kNotPlainFile;
    default:
      return FileError::kOther;
  }
}

// Records errno and fails.
bool SystemFailure() {
  RecordSystemError();
  return false;
}

// The mode a new file gets from open(..., 0666): what the umask leaves. Linux tells the umask
// without changing it; elsewhere it is set and put back at once.
mode_t UsualMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0)
      return static_cast<mode_t>(0666 & ~std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

// rename that never replaces: in one step where the system has it, else by a second name
// for the file (which fails when the target exists) and removing the first.
bool RenameWithoutReplacing(const std::string& source, const std::string& target) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
  if (::link(source.c_str(), target.c_str()) != 0) return false;
  ::unlink(source.c_str());
  return true;
}

}  // namespace

void RecordSystemError() { SetLastFileError(FromErrno(errno)); }

namespace os {

namespace {

// A descriptor of its own, closed on exec like every other, that shares the stream's position.
std::intptr_t DuplicateStandard(int fd) {
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) {
    RecordSystemError();
    return kNoHandle;
  }
  return copy;
}

}  // namespace

std::intptr_t DuplicateStandardInput() { return DuplicateStandard(STDIN_FILENO); }
std::intptr_t DuplicateStandardOutput() { return DuplicateStandard(STDOUT_FILENO); }

std::intptr_t OpenRead(const std::string& path) {
  // Not blocking: opening a FIFO waits for a writer, and only plain files are read here.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    RecordSystemError();
    return kNoHandle;
  }
  struct stat st;
  const int flags = ::fcntl(fd, F_GETFL);
  const bool opened = ::fstat(fd, &st) == 0 && flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
  if (!opened) RecordSystemError();
  if (opened && !S_ISREG(st.st_mode))
    SetLastFileError(S_ISDIR(st.st_mode) ? FileError::kIsFolder : FileError::kNotPlainFile);
  if (!opened || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kNoHandle;
  }
  return fd;
}

FileMode ModeReplacing(const std::string& target, bool ownerOnly) {
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    const std::uint32_t kept = st.st_mode & 0777;  // permissions, not set-id bits
    return ownerOnly ? kept & 0600 : kept;
  }
  return ownerOnly ? FileMode(0600) : std::nullopt;
}

std::intptr_t Create(const std::string& path, bool exclusive, FileMode mode) {
  const int flags = O_RDWR | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
  // An exact mode is the file's from its first moment: the umask can only narrow it, and
  // fchmod puts back what the umask took.
  const int fd = ::open(path.c_str(), flags, static_cast<mode_t>(mode.value_or(0666)));
  if (fd < 0) {
    // A file that is being made is missing only when its folder is.
    SetLastFileError(errno == ENOENT || errno == ENOTDIR ? FileError::kNoFolder : FromErrno(errno));
    return kNoHandle;
  }
  if (mode && ::fchmod(fd, static_cast<mode_t>(*mode)) != 0) {
    RecordSystemError();
    ::close(fd);
    ::unlink(path.c_str());
    return kNoHandle;
  }
  return fd;
}

bool SetMode(std::intptr_t handle, FileMode mode) {
  return ::fchmod(Fd(handle), mode ? static_cast<mode_t>(*mode) : UsualMode()) == 0 || SystemFailure();
}

bool Replace(const std::string& source, const std::string& target, bool replace) {
  if (replace ? ::rename(source.c_str(), target.c_str()) != 0 : !RenameWithoutReplacing(source, target)) {
    return SystemFailure();
  }
  // The rename is durable only once the folder entry is on the disk.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return true;
  ::fsync(dir);
  ::close(dir);
  return true;
}

std::uint64_t ProcessId() { return static_cast<std::uint64_t>(::getpid()); }

std::intptr_t OpenLockFile(const std::string& path) {
  // Not through a link, and never waiting on something that is not a plain file.
  const int fd =
      ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
  if (fd < 0) {
    // Created when missing: only a missing folder is not found.
    SetLastFileError(errno == ENOENT || errno == ENOTDIR ? FileError::kNoFolder : FromErrno(errno));
    return kNoHandle;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastFileError(FileError::kNotPlainFile);
    ::close(fd);
    return kNoHandle;
  }
  return fd;
}

bool TryLockFile(std::intptr_t handle) { return ::flock(Fd(handle), LOCK_EX | LOCK_NB) == 0; }

void CloseLockFile(std::intptr_t handle) { ::close(Fd(handle)); }

bool SameName(const std::string& a, const std::string& b) { return a == b; }

}  // namespace os

std::optional<std::size_t> File::read(std::uint8_t* out, std::size_t n) {
  if (FileCallFails()) return std::nullopt;
  for (;;) {
    const ssize_t got = ::read(Fd(handle_), out, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      RecordSystemError();
      return std::nullopt;
    }
  }
}

bool File::write(const std::uint8_t* data, std::size_t n) {
  if (FileCallFails()) return false;
  while (n > 0) {
    const ssize_t put = ::write(Fd(handle_), data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return SystemFailure();
    if (put == 0) {  // nothing more fits
      SetLastFileError(FileError::kDiskFull);
      return false;
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

bool File::seek(std::uint64_t offset) {
  return ::lseek(Fd(handle_), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

std::optional<std::uint64_t> File::size() const {
  struct stat st;
  if (::fstat(Fd(handle_), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool File::flush() { return !FileCallFails() && (::fsync(Fd(handle_)) == 0 || SystemFailure()); }

void File::startWriteBack() {
#ifdef __linux__
  ::sync_file_range(Fd(handle_), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool File::close() {
  if (handle_ == os::kNoHandle) return true;
  const int result = ::close(Fd(handle_));
  handle_ = os::kNoHandle;
  return result == 0 || SystemFailure();
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderOpenToOthers(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH)) != 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qs::platform
