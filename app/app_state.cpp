#include "app/app_state.h"

#include "platform/working_folder.h"

namespace qs {

std::string AppState::file(const char* name) const { return platform::JoinPath(workingFolder, name); }

}  // namespace qs
