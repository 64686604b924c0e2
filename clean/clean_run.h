#pragma once
// What rw_clean does with its command word: optionally remove the backup task, ask twice,
// then wipe the working folder. The desktop side sits behind CleanHost.
#include <optional>
#include <string>
#include <string_view>

#include "clean/wipe.h"

namespace qs::clean {

enum class QuestionIcon { kQuestion, kWarning };

class CleanHost {
 public:
  virtual ~CleanHost() = default;
  // A message with an OK button.
  virtual void tell(std::string_view text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool ask(std::string_view text, QuestionIcon icon) = 0;
  // Deletes the scheduled backup task. False only when the scheduler could not be reached; a
  // task that does not exist is no failure.
  virtual bool removeBackupTask() = 0;
  // The working folder, without a trailing separator (with one, the system would follow a
  // link in the folder's place); nullopt when the user's local application data folder is
  // unavailable.
  virtual std::optional<std::string> workingFolder() = 0;
};

// Runs the tool for one command word and returns the process exit code: 1 for an unknown word,
// a missing or unlistable working folder or one that is a link; 0 otherwise, also when the
// user declines.
int RunClean(std::wstring_view commandWord, CleanHost& host, WipeFiles& files, const FillBytes& fill);

}  // namespace qs::clean
