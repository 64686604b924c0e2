#pragma once

namespace qs::clean {

// Deletes the task "RW_BACKUP_TASK" from the Task Scheduler's root folder. True once the root
// folder could be opened, whether or not such a task existed.
bool RemoveBackupTask();

}  // namespace qs::clean
