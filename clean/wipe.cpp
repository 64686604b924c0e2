#include "clean/wipe.h"

namespace qs::clean {

bool WipeFolder(const std::string& folder, WipeFiles& files, const FillBytes& fill,
                const std::function<void(const std::string& name)>& failed) {
  const auto entries = files.list(folder);
  if (!entries) return false;
  for (const FolderEntry& entry : *entries) {
    if (entry.isFolder || entry.name == "." || entry.name == "..") continue;
    const std::string path = folder + entry.name;
    if (!files.overwrite(path, fill) || !files.removeFile(path)) failed(entry.name);
  }
  // Fails while a sub-folder or an unremovable file is left; nothing more to do about it then.
  files.removeFolder(folder);
  return true;
}

}  // namespace qs::clean
