#include "app/key_failure.h"

#include "app/two_line_message.h"
#include "operations/cause_text.h"
#include "operations/key_messages.h"

namespace qs {

std::string KeyFailureText(const KeyStatus& status) {
  return TwoLineMessage(MessageText(status.outcome), KeyCauseText(status.cause));
}

bool PassphraseWithheld(const KeyStatus& status) {
  return !status.ok() && status.cause.finding == KeyFinding::kPassphraseNotGiven;
}

}  // namespace qs
