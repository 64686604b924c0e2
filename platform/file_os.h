#pragma once
// What file.cpp needs from the operating system; implemented once per system.
#include <cstdint>
#include <optional>
#include <string>

namespace qs::platform::os {

constexpr std::intptr_t kNoHandle = -1;

std::intptr_t OpenRead(const std::string& path);

// A new file's POSIX mode: exactly this, or nothing for the usual one the umask narrows.
using FileMode = std::optional<std::uint32_t>;
// The mode for a file that is to replace target (see FileAccess); nothing on Windows.
FileMode ModeReplacing(const std::string& target, bool ownerOnly);
// Creates the file with that mode; with exclusive, fails when it exists, else truncates it.
std::intptr_t Create(const std::string& path, bool exclusive, FileMode mode = std::nullopt);
// Replaces target by source in one step and makes the change durable.
bool Replace(const std::string& source, const std::string& target);
std::uint64_t ProcessId();

}  // namespace qs::platform::os
