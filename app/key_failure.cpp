#include "app/key_failure.h"

#include "operations/cause_text.h"
#include "operations/key_messages.h"

namespace qs {

std::string KeyFailureText(const KeyStatus& status) {
  const std::string message = MessageText(status.outcome);
  const std::string cause = KeyCauseText(status.cause);
  return cause.empty() ? message : message + "\n" + cause;
}

}  // namespace qs
