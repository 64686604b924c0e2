#pragma once
// The desktop side of rw_clean: system-modal message boxes without an owner, the Task
// Scheduler, and the working folder under the user's local application data.
#include "clean/clean_run.h"

namespace qs::clean {

class Win32Host final : public CleanHost {
 public:
  void tell(std::string_view text) override;
  bool ask(std::string_view text, QuestionIcon icon) override;
  bool removeBackupTask() override;
  std::optional<std::string> workingFolder() override;
};

}  // namespace qs::clean
