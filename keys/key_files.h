#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/whole_file.h"
#include "platform/file.h"

namespace qs {

// The content of a key, certification, certificate or backup file (whole-file container);
// nothing when it cannot be read.
std::optional<ByteBuffer> ReadKeyFile(const std::string& path);

// Writes content in the whole-file container, atomically. Refused, with nothing touched,
// when the path names one of the operation's sources (however spelt), so that a save dialog
// pointed at an input never destroys it. Private key material is written owner-only.
bool WriteKeyFile(const std::string& path, const ByteBuffer& content, const std::vector<std::string>& sources,
                  platform::FileAccess access = platform::FileAccess::kUsual);

// Writes files that belong together as WriteWholeFiles does, refused with nothing touched
// when a path names one of the sources or another of the targets.
bool WriteKeyFiles(const std::vector<WholeFileTarget>& targets, const std::vector<std::string>& sources);

}  // namespace qs
