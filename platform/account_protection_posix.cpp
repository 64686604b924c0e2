#include "platform/account_protection.h"

namespace qs::platform {

// No system keeps a key for the account here; the caller falls back to a passphrase.
bool AccountProtectionAvailable() { return false; }

std::optional<std::vector<std::uint8_t>> ProtectForAccount(std::span<const std::uint8_t>,
                                                           std::span<const std::uint8_t>) {
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> UnprotectForAccount(std::span<const std::uint8_t>,
                                                             std::span<const std::uint8_t>) {
  return std::nullopt;
}

}  // namespace qs::platform
