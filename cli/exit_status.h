#pragma once
#include "cli/io.h"
#include "formats/file_result.h"
#include "keys/key_result.h"
#include "operations/messages.h"

namespace qs::cli {

// The exit status of a file operation that failed: kRefused when what the file holds was
// refused (damaged, truncated, forged, for another key, a signature that does not match),
// kInterrupted for a cancel, kFailure when the system failed or nothing better is known.
ExitStatus StatusOf(FileOutcome outcome, const FileCause& cause);

// The same for a key operation: kNotApproved for a certificate no trusted key verifies,
// kRefused for a file that is not what it should be or whose keys do not work.
ExitStatus StatusOf(const KeyStatus& status);

}  // namespace qs::cli
