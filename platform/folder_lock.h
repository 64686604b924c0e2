#pragma once
#include <chrono>
#include <cstdint>
#include <string>

namespace qs::platform {

// The file in the working folder whose lock every change of a working-folder file holds.
// It stays empty and is never removed: removing it while another process waits on it would
// let two processes hold two different files.
inline constexpr char kFolderLockFileName[] = "qs.lock";

// How long a change waits for another process (or thread) to finish with the folder before
// it gives up and reports the folder as busy. Every holder keeps the lock for one read and
// one atomic write, milliseconds, so only a stuck holder makes anyone wait this long.
inline constexpr std::chrono::milliseconds kFolderLockWait{5000};

// An exclusive lock on a working folder, held from construction until the object goes:
// flock on POSIX, LockFileEx on Windows, on the folder's qs.lock, so the GUI and every
// command line exclude each other. Threads of one process exclude each other as processes
// do. Not re-entrant: a thread that takes it twice waits for itself and gives up.
class FolderLock {
 public:
  // Waits up to the wait for the lock.
  explicit FolderLock(const std::string& folder);
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  bool held() const { return handle_ != kNotHeld; }
  // Not held because another holder kept it through the whole wait; otherwise the lock
  // file could not be made (no such folder, none writable), where no write would succeed.
  bool busy() const { return busy_; }

 private:
  static constexpr std::intptr_t kNotHeld = -1;

  std::string key_;
  std::intptr_t handle_ = kNotHeld;
  bool busy_ = false;
};

// For tests: how long take() waits from now on; kFolderLockWait puts it back.
void SetFolderLockWait(std::chrono::milliseconds wait);

}  // namespace qs::platform
