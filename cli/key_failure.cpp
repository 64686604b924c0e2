#include "cli/key_failure.h"

#include "cli/exit_status.h"

#include "operations/cause_text.h"
#include "operations/key_messages.h"

namespace qs::cli {

int FailKey(Session& session, const KeyStatus& status) {
  return session.fail(MessageText(status.outcome), KeyCauseText(status.cause), StatusOf(status));
}

}  // namespace qs::cli
