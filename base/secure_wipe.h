#pragma once
#include <cstddef>

namespace qs {

// Overwrites n bytes with zeros in a way the optimiser may not drop, even when the
// memory is released right afterwards.
void SecureWipe(void* data, std::size_t n) noexcept;

}  // namespace qs
