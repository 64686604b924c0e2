#pragma once
// Overwriting and removing the files of one folder. The file operations sit behind WipeFiles,
// so the walk itself is the same on every system and tests can watch each step.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qs::clean {

struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// Writes count bytes of overwrite material to out.
using FillBytes = std::function<void(std::uint8_t* out, std::size_t count)>;

// What the folder to wipe turned out to be.
enum class FolderState { kUsable, kLink, kCannotList };

// How one file's wipe went.
enum class FileWipe { kDone, kFailed, kSeveralNames };

// The folder is opened once and every later call works inside the folder that was opened,
// even if its path is meanwhile renamed or replaced by a link: names are opened relative to
// it, never through the path again.
class WipeFiles {
 public:
  virtual ~WipeFiles() = default;
  // kLink, with nothing open, when the folder itself is a symbolic link or reparse point:
  // whoever can change the folder's parent could point it at files of someone else.
  virtual FolderState openFolder(const std::string& folder) = 0;
  // The open folder's entries ("." and ".." may be among them); nullopt when it cannot be
  // listed.
  virtual std::optional<std::vector<FolderEntry>> list() = 0;
  // Replaces every byte of an existing regular file in place with bytes from fill and forces
  // them to the disk. The file is left untouched when it cannot be opened for writing
  // (kFailed) or has another name besides this one (kSeveralNames): its bytes are also those
  // of a file elsewhere.
  virtual FileWipe overwrite(const std::string& name, const FillBytes& fill) = 0;
  virtual bool removeFile(const std::string& name) = 0;
  // Closes the folder and removes it if it is empty.
  virtual bool removeFolder() = 0;
};

// Overwrites and then removes every file directly in folder, then tries to remove the folder
// itself. Sub-folders are neither entered nor removed, so a folder holding one stays.
// left(name, why) is called once for every file that is still there: one that could not be
// overwritten (kFailed, kSeveralNames) is not removed either. Returns kUsable once done, and
// touches nothing when the folder is a link or cannot be listed.
FolderState WipeFolder(const std::string& folder, WipeFiles& files, const FillBytes& fill,
                       const std::function<void(const std::string& name, FileWipe why)>& left);

}  // namespace qs::clean
