#include "platform/folder_lock.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "platform/file_os.h"
#include "platform/working_folder.h"

namespace qs::platform {
namespace {

using Clock = std::chrono::steady_clock;

// The system lock excludes other processes; within this one the threads queue here, since a
// second flock or LockFileEx through another handle of the same process is not reliably
// refused on every system.
std::mutex gMutex;
std::condition_variable gFreed;
std::set<std::string> gHeld;
std::atomic<std::int64_t> gWaitMs{kFolderLockWait.count()};

constexpr std::chrono::milliseconds kRetry{10};

// One spelling per folder among this process's threads: without trailing separators.
std::string KeyOf(const std::string& folder) {
  std::string key = folder;
  while (key.size() > 1 && (key.back() == '/' || key.back() == '\\')) key.pop_back();
  return key;
}

void Release(const std::string& key) {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gHeld.erase(key);
  }
  gFreed.notify_all();
}

}  // namespace

FolderLock::FolderLock(const std::string& folder) : key_(KeyOf(folder)) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(gWaitMs.load());
  {
    std::unique_lock<std::mutex> lock(gMutex);
    if (!gFreed.wait_until(lock, deadline, [&] { return gHeld.count(key_) == 0; })) {
      busy_ = true;
      return;
    }
    gHeld.insert(key_);
  }
  const std::intptr_t handle = os::OpenLockFile(JoinPath(folder, kFolderLockFileName));
  if (handle != os::kNoHandle) {
    for (;;) {
      if (os::TryLockFile(handle)) {
        handle_ = handle;
        return;
      }
      if (Clock::now() >= deadline) break;
      std::this_thread::sleep_for(kRetry);
    }
    busy_ = true;
    os::CloseLockFile(handle);
  }
  Release(key_);
}

FolderLock::~FolderLock() {
  if (!held()) return;
  os::CloseLockFile(handle_);
  Release(key_);
}

void SetFolderLockWait(std::chrono::milliseconds wait) { gWaitMs.store(wait.count()); }

}  // namespace qs::platform
