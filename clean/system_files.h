#pragma once
// The running system's files for the wipe: POSIX calls natively, the Win32 and NT API on
// Windows. Paths and names are UTF-8.
#include "clean/wipe.h"

namespace qs::clean {

class SystemFiles final : public WipeFiles {
 public:
  SystemFiles() = default;
  SystemFiles(const SystemFiles&) = delete;
  SystemFiles& operator=(const SystemFiles&) = delete;
  ~SystemFiles() override;

  // On Windows the folder cannot be renamed or removed while it is open.
  FolderState openFolder(const std::string& folder) override;
  // On Windows a listing whose first entry is not "." or that has no ".." is refused: only a
  // drive's root lacks them, and a root is never the folder to wipe.
  std::optional<std::vector<FolderEntry>> list() override;
  // Links are not followed (the link's target lies outside the folder), and a file its owner
  // may not write is refused even where the system would let an administrator write it.
  FileWipe overwrite(const std::string& name, const FillBytes& fill) override;
  bool removeFile(const std::string& name) override;
  bool removeFolder() override;

 private:
  void closeFolder();

  std::string path_;
#ifdef _WIN32
  void* folder_ = nullptr;  // HANDLE
#else
  int folder_ = -1;
#endif
};

}  // namespace qs::clean
