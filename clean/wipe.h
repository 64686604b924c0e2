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

class WipeFiles {
 public:
  virtual ~WipeFiles() = default;
  // The folder's entries ("." and ".." may be among them); nullopt when it cannot be listed.
  virtual std::optional<std::vector<FolderEntry>> list(const std::string& folder) = 0;
  // Replaces every byte of an existing regular file in place with bytes from fill and forces
  // them to the disk. False, with the file untouched, when it cannot be opened for writing.
  virtual bool overwrite(const std::string& path, const FillBytes& fill) = 0;
  virtual bool removeFile(const std::string& path) = 0;
  virtual bool removeFolder(const std::string& path) = 0;
};

// Overwrites and then removes every file directly in folder (a path ending in a separator),
// then tries to remove the folder itself. Sub-folders are neither entered nor removed, so a
// folder holding one stays. failed(name) is called once for every file that could not be
// overwritten or removed; one that could not be overwritten is left in place. Returns false,
// having touched nothing, when the folder cannot be listed.
bool WipeFolder(const std::string& folder, WipeFiles& files, const FillBytes& fill,
                const std::function<void(const std::string& name)>& failed);

}  // namespace qs::clean
