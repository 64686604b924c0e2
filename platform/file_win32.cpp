#include <windows.h>

#include <cstring>
#include <optional>

#include "platform/file.h"
#include "platform/file_error.h"
#include "platform/file_fault.h"
#include "platform/file_os.h"
#include "platform/widen_win32.h"

namespace qs::platform {
namespace {

HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

FileError FromSystemCode(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return FileError::kNotFound;
    case ERROR_ACCESS_DENIED:
      return FileError::kNoPermission;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::kDiskFull;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return FileError::kNameTooLong;
    case ERROR_WRITE_PROTECT:
      return FileError::kReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::kInUse;
    default:
      return FileError::kOther;
  }
}

// Records the system's error and fails.
bool SystemFailure() {
  RecordSystemError();
  return false;
}

std::intptr_t FromHandle(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) {
    RecordSystemError();
    return os::kNoHandle;
  }
  return reinterpret_cast<std::intptr_t>(h);
}

// Chunks of at most 1 GiB keep every count inside a DWORD.
constexpr std::size_t kMaxIo = 1u << 30;

// Only files on a disk are read: a pipe or a device (CON, COM1) would wait for input. A raw
// disk or volume (\\.\PhysicalDrive0, \\.\C:) is a "disk file" too, but has no name on a
// volume, which every file has ("\folder\name").
bool IsPlainFile(HANDLE h) {
  if (GetFileType(h) != FILE_TYPE_DISK) return false;
  struct {
    FILE_NAME_INFO info;
    wchar_t room[MAX_PATH];
  } name{};
  if (!GetFileInformationByHandleEx(h, FileNameInfo, &name, sizeof name) &&
      GetLastError() != ERROR_MORE_DATA) {
    return false;
  }
  return name.info.FileNameLength > sizeof(wchar_t);
}

}  // namespace

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void RecordSystemError() { SetLastFileError(FromSystemCode(GetLastError())); }

namespace os {

namespace {

// A handle of its own on the stream; raw handle I/O, so no line end is translated.
std::intptr_t DuplicateStandard(DWORD which) {
  const HANDLE stream = GetStdHandle(which);
  if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
    SetLastFileError(FileError::kNotFound);
    return os::kNoHandle;
  }
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), stream, GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    RecordSystemError();
    return os::kNoHandle;
  }
  return reinterpret_cast<std::intptr_t>(copy);
}

}  // namespace

std::intptr_t DuplicateStandardInput() { return DuplicateStandard(STD_INPUT_HANDLE); }
std::intptr_t DuplicateStandardOutput() { return DuplicateStandard(STD_OUTPUT_HANDLE); }

std::intptr_t OpenRead(const std::string& path) {
  const HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    RecordSystemError();
    // A folder opened as a file is refused as access denied; it is named for what it is.
    if (LastFileError() == FileError::kNoPermission && IsFolder(path)) SetLastFileError(FileError::kIsFolder);
    return os::kNoHandle;
  }
  if (!IsPlainFile(h)) {
    SetLastFileError(FileError::kNotPlainFile);
    CloseHandle(h);
    return os::kNoHandle;
  }
  return FromHandle(h);
}

// Files inherit the folder's ACL; POSIX modes have no counterpart here.
FileMode ModeReplacing(const std::string&, bool) { return std::nullopt; }

std::intptr_t Create(const std::string& path, bool exclusive, FileMode) {
  const std::intptr_t h =
      FromHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A file that is being made is missing only when its folder is.
  if (h == kNoHandle && LastFileError() == FileError::kNotFound) SetLastFileError(FileError::kNoFolder);
  return h;
}

bool SetMode(std::intptr_t, FileMode) { return true; }

bool Replace(const std::string& source, const std::string& target, bool replace) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
  return MoveFileExW(Widen(source).c_str(), Widen(target).c_str(),
                     (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH) != 0 ||
         SystemFailure();
}

std::uint64_t ProcessId() { return GetCurrentProcessId(); }

std::intptr_t OpenLockFile(const std::string& path) {
  // Every sharing mode, so that rw_clean can still overwrite and remove the folder's files.
  const std::intptr_t handle = FromHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle == kNoHandle) {
    // Created when missing: only a missing folder is not found.
    const FileError error = FromSystemCode(GetLastError());
    SetLastFileError(error == FileError::kNotFound ? FileError::kNoFolder : error);
  }
  return handle;
}

// One byte past the end of the empty file: locked ranges need not hold data.
bool TryLockFile(std::intptr_t handle) {
  OVERLAPPED at{};
  return LockFileEx(Handle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void CloseLockFile(std::intptr_t handle) {
  OVERLAPPED at{};
  UnlockFileEx(Handle(handle), 0, 1, 0, &at);
  CloseHandle(Handle(handle));
}

bool SameName(const std::string& a, const std::string& b) {
  const std::wstring wa = Widen(a);
  const std::wstring wb = Widen(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace os

std::optional<std::size_t> File::read(std::uint8_t* out, std::size_t n) {
  if (FileCallFails()) return std::nullopt;
  DWORD got = 0;
  if (!ReadFile(Handle(handle_), out, static_cast<DWORD>(n < kMaxIo ? n : kMaxIo), &got, nullptr)) {
    // A pipe whose writer has closed its end has reached its end.
    if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
    RecordSystemError();
    return std::nullopt;
  }
  return got;
}

bool File::write(const std::uint8_t* data, std::size_t n) {
  if (FileCallFails()) return false;
  while (n > 0) {
    DWORD put = 0;
    if (!WriteFile(Handle(handle_), data, static_cast<DWORD>(n < kMaxIo ? n : kMaxIo), &put, nullptr)) {
      return SystemFailure();
    }
    if (put == 0) {  // nothing more fits
      SetLastFileError(FileError::kDiskFull);
      return false;
    }
    data += put;
    n -= put;
  }
  return true;
}

bool File::seek(std::uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(Handle(handle_), to, nullptr, FILE_BEGIN) != 0;
}

std::optional<std::uint64_t> File::size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Handle(handle_), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool File::flush() { return !FileCallFails() && (FlushFileBuffers(Handle(handle_)) != 0 || SystemFailure()); }

void File::startWriteBack() {}  // the system writes back on its own; flush waits for it

bool File::close() {
  if (handle_ == os::kNoHandle) return true;
  const BOOL ok = CloseHandle(Handle(handle_));
  handle_ = os::kNoHandle;
  return ok != 0 || SystemFailure();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != 0; }

bool CreateFolder(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) || IsFolder(path);
}

bool FolderOpenToOthers(const std::string&) { return false; }

namespace {

// A file's identity on its volume from an open handle. The 128-bit id is the whole identity
// on every file system that has it (ReFS ids do not fit in 64 bits); the 64-bit index is
// for those that lack it, and both handles are compared the same way.
struct FileIdentity {
  FILE_ID_INFO full{};
  BY_HANDLE_FILE_INFORMATION basic{};
  bool hasFull = false;
};

std::optional<FileIdentity> Identify(const std::string& path) {
  const HANDLE h = CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  FileIdentity identity;
  identity.hasFull = GetFileInformationByHandleEx(h, FileIdInfo, &identity.full, sizeof identity.full) != 0;
  const BOOL basic = GetFileInformationByHandle(h, &identity.basic);
  CloseHandle(h);
  if (!basic) return std::nullopt;
  return identity;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  const std::optional<FileIdentity> ia = Identify(a);
  const std::optional<FileIdentity> ib = Identify(b);
  if (!ia || !ib) return false;
  if (ia->hasFull && ib->hasFull) {
    return ia->full.VolumeSerialNumber == ib->full.VolumeSerialNumber &&
           std::memcmp(ia->full.FileId.Identifier, ib->full.FileId.Identifier,
                       sizeof ia->full.FileId.Identifier) == 0;
  }
  return ia->basic.dwVolumeSerialNumber == ib->basic.dwVolumeSerialNumber &&
         ia->basic.nFileIndexHigh == ib->basic.nFileIndexHigh &&
         ia->basic.nFileIndexLow == ib->basic.nFileIndexLow;
}

}  // namespace qs::platform
