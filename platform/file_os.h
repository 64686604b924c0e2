#pragma once
// What file.cpp and folder_lock.cpp need from the operating system; implemented once per
// system.
#include <cstdint>
#include <optional>
#include <string>

namespace qs::platform::os {

constexpr std::intptr_t kNoHandle = -1;

std::intptr_t OpenRead(const std::string& path);
// A handle of its own on the process's standard input or output; kNoHandle when it has none.
std::intptr_t DuplicateStandardInput();
std::intptr_t DuplicateStandardOutput();

// A new file's POSIX mode: exactly this, or nothing for the usual one the umask narrows.
using FileMode = std::optional<std::uint32_t>;
// The mode for a file that is to replace target (see FileAccess); nothing on Windows. Only a
// regular file that is itself the target lends its mode, never what a link points to.
FileMode ModeReplacing(const std::string& target, bool ownerOnly);
// Creates the file with that mode; with exclusive, fails when it exists, else truncates it.
std::intptr_t Create(const std::string& path, bool exclusive, FileMode mode = std::nullopt);
// Gives an open file the mode (the usual one for nothing); nothing happens on Windows.
bool SetMode(std::intptr_t handle, FileMode mode);
// Puts source in target's place in one step and makes the change durable. Without replace
// it fails, leaving both as they were, when target exists, however briefly it has.
bool Replace(const std::string& source, const std::string& target, bool replace);
std::uint64_t ProcessId();
// Whether two names of entries in one folder name the same entry: on Windows without regard
// to case, as its file systems compare them.
bool SameName(const std::string& a, const std::string& b);

// The lock file of a working folder, made when missing, opened for locking; kNoHandle when
// it cannot be.
std::intptr_t OpenLockFile(const std::string& path);
// Takes its exclusive lock without waiting; false while another holder has it.
bool TryLockFile(std::intptr_t handle);
// Releases the lock and closes the file.
void CloseLockFile(std::intptr_t handle);

}  // namespace qs::platform::os
