#pragma once
#include <string>

namespace qs::test {

// A fresh, empty folder under the system's temporary folder, removed with its content when
// the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for tests: raw bytes, no container.
std::string ReadRaw(const std::string& path);
void WriteRaw(const std::string& path, const std::string& bytes);
// The names of the entries in a folder, sorted.
std::string ListFolder(const std::string& path);

}  // namespace qs::test
