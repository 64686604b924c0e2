#pragma once
// The running system's files for the wipe: POSIX calls natively, the wide Win32 API on
// Windows. Paths are UTF-8.
#include "clean/wipe.h"

namespace qs::clean {

class SystemFiles final : public WipeFiles {
 public:
  // On Windows a listing whose first entry is not "." is refused: only a drive's root lacks
  // it, and a root is never the folder to wipe.
  std::optional<std::vector<FolderEntry>> list(const std::string& folder) override;
  // Links are not followed (the link's target lies outside the folder), and a file its owner
  // may not write is refused even where the system would let an administrator write it.
  bool overwrite(const std::string& path, const FillBytes& fill) override;
  bool removeFile(const std::string& path) override;
  bool removeFolder(const std::string& path) override;
};

}  // namespace qs::clean
