#pragma once
// What file.cpp needs from the operating system; implemented once per system.
#include <cstdint>
#include <string>

namespace qs::platform::os {

constexpr std::intptr_t kNoHandle = -1;

std::intptr_t OpenRead(const std::string& path);
// Creates the file; with exclusive, fails when it exists, else truncates it.
std::intptr_t Create(const std::string& path, bool exclusive);
// Replaces target by source in one step and makes the change durable.
bool Replace(const std::string& source, const std::string& target);
std::uint64_t ProcessId();

}  // namespace qs::platform::os
