#pragma once
#include "keys/messages.h"

namespace qs {

// A value together with the outcome that produced it; the value means something only when
// the outcome is kOk.
template <typename T>
struct KeyResult {
  KeyOutcome outcome = KeyOutcome::kOk;
  T value{};

  bool ok() const { return outcome == KeyOutcome::kOk; }
};

template <typename T>
KeyResult<T> Failed(KeyOutcome outcome) {
  return KeyResult<T>{outcome, T{}};
}

}  // namespace qs
