#pragma once
// The system's files with every step recorded, for watching a wipe on a real folder.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "clean/system_files.h"

namespace qs::clean::test {

class SpyFiles final : public WipeFiles {
 public:
  FolderState openFolder(const std::string& folder) override;
  std::optional<std::vector<FolderEntry>> list() override;
  FileWipe overwrite(const std::string& name, const FillBytes& fill) override;
  // Records the file's content just before it goes, read through the folder's path.
  bool removeFile(const std::string& name) override;
  bool removeFolder() override;

  // Runs once the folder is open, before anything in it is touched.
  std::function<void()> afterOpen;
  std::vector<std::string> overwritten;               // names, in order
  std::map<std::string, std::string> removedContent;  // name -> bytes when removed
  int folderRemovals = 0;

 private:
  SystemFiles system_;
  std::string folder_;
};

// Overwrite material that is easy to recognise: byte i of an endless stream that does not
// repeat at the overwrite's 64 KiB pieces, so a piece written twice or skipped shows.
std::uint8_t StreamByte(std::uint64_t i);
std::string StreamBytes(std::uint64_t from, std::size_t count);
// A fill that hands out the stream from its start; position counts what it handed out.
FillBytes StreamFill(std::uint64_t& position);

bool Exists(const std::string& path);
// Read-only as the system knows it (the read-only attribute on Windows).
void SetReadOnly(const std::string& path, bool readOnly);

}  // namespace qs::clean::test
