#pragma once
#include <cstdint>

namespace qs::platform {

// What the system said when a file call failed, in the terms a user can act on.
enum class FileError : std::uint8_t {
  kNone,
  kNotFound,      // no such file, or a folder on the way to it is missing
  kNoFolder,      // the folder a new file was to go in is missing
  kIsFolder,      // a folder where a file was expected
  kNotPlainFile,  // a device, pipe or raw disk, which is never read or written
  kNoPermission,
  kDiskFull,  // the fault switch's failures count as this too
  kNameTooLong,
  kReadOnly,  // a read-only disk or file system
  kInUse,     // another program holds the file
  kOther,
};

// The error of the calling thread's last failing file call in this layer; kNone until one
// fails. Each failing call sets it, so read it right after the call that failed.
FileError LastFileError();

// For this layer's own calls: records why the call that is failing fails.
void SetLastFileError(FileError error);
// Records the system's own error code of the call that just failed (errno, GetLastError).
void RecordSystemError();

}  // namespace qs::platform
