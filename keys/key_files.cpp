#include "keys/key_files.h"

#include "base/whole_file.h"
#include "platform/file.h"

namespace qs {

std::optional<ByteBuffer> ReadKeyFile(const std::string& path) {
  ByteStream stream;
  if (!ReadWholeFile(stream, path)) return std::nullopt;
  return std::move(stream.bytes);
}

namespace {

bool NamesAny(const std::string& path, const std::vector<std::string>& others) {
  for (const std::string& other : others) {
    if (platform::SameFile(path, other)) return true;
  }
  return false;
}

}  // namespace

bool WriteKeyFile(const std::string& path, const ByteBuffer& content, const std::vector<std::string>& sources,
                  platform::FileAccess access) {
  return !NamesAny(path, sources) && WriteWholeFile(ByteStream(content), path, access);
}

bool WriteKeyFiles(const std::vector<WholeFileTarget>& targets, const std::vector<std::string>& sources) {
  std::vector<std::string> taken = sources;
  for (const WholeFileTarget& target : targets) {
    if (NamesAny(target.path, taken)) return false;
    taken.push_back(target.path);
  }
  return WriteWholeFiles(targets);
}

}  // namespace qs
