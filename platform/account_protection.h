#pragma once
// Data locked to the user's account on this machine (Windows data protection), so that a
// file copied to another account or machine does not open.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs::platform {

// Whether data can be locked to the user's account here (Windows only, and only where the
// machine's identity can be read).
bool AccountProtectionAvailable();

// data locked to the current user on this machine; nothing on failure or where unavailable.
// The same entropy must be given to open it again.
std::optional<std::vector<std::uint8_t>> ProtectForAccount(std::span<const std::uint8_t> data,
                                                           std::span<const std::uint8_t> entropy);

// The data back; nothing when this account on this machine cannot open it (another user,
// another machine, other entropy, damaged) or where unavailable. The caller wipes the result.
std::optional<std::vector<std::uint8_t>> UnprotectForAccount(std::span<const std::uint8_t> sealed,
                                                             std::span<const std::uint8_t> entropy);

}  // namespace qs::platform
