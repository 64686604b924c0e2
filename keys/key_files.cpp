#include "keys/key_files.h"

#include "base/whole_file.h"
#include "platform/file.h"

namespace qs {

std::optional<ByteBuffer> ReadKeyFile(const std::string& path) {
  ByteStream stream;
  if (!ReadWholeFile(stream, path)) return std::nullopt;
  return std::move(stream.bytes);
}

bool WriteKeyFile(const std::string& path, const ByteBuffer& content, const std::vector<std::string>& sources,
                  platform::FileAccess access) {
  for (const std::string& source : sources) {
    if (platform::SameFile(path, source)) return false;
  }
  return WriteWholeFile(ByteStream(content), path, access);
}

}  // namespace qs
