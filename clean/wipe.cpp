#include "clean/wipe.h"

namespace qs::clean {

FolderState WipeFolder(const std::string& folder, WipeFiles& files, const FillBytes& fill,
                       const std::function<void(const std::string& name, FileWipe why)>& left) {
  const FolderState state = files.openFolder(folder);
  if (state != FolderState::kUsable) return state;
  const auto entries = files.list();
  if (!entries) return FolderState::kCannotList;
  for (const FolderEntry& entry : *entries) {
    if (entry.isFolder || entry.name == "." || entry.name == "..") continue;
    const FileWipe overwritten = files.overwrite(entry.name, fill);
    if (overwritten != FileWipe::kDone) {
      left(entry.name, overwritten);
    } else if (!files.removeFile(entry.name)) {
      left(entry.name, FileWipe::kFailed);
    }
  }
  // Fails while a sub-folder or an unremovable file is left; nothing more to do about it then.
  files.removeFolder();
  return FolderState::kUsable;
}

}  // namespace qs::clean
