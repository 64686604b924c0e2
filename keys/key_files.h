#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/whole_file.h"
#include "keys/key_result.h"
#include "platform/file.h"

namespace qs {

// The content of a key, certification, certificate or backup file (whole-file container);
// nothing when it cannot be read, and then cause, when given, says why: the system's error,
// cut short, bytes after its end, or kNotKeyFile for a length no such file has.
std::optional<ByteBuffer> ReadKeyFile(const std::string& path, KeyCause* cause = nullptr);

// The cause for a readable file whose content is not the record wanted: a record of another
// kind than certificates where a certificate belongs, otherwise notThisKind.
KeyCause WrongKindIn(const std::string& path, const ByteBuffer& content, KeyFinding notThisKind);

// Writes content in the whole-file container, atomically. Refused, with nothing touched,
// when the path names one of the operation's sources (however spelt), so that a save dialog
// pointed at an input never destroys it. Private key material is written owner-only.
// cause, when given, says why a write failed: the target is a source, or the system's error.
bool WriteKeyFile(const std::string& path, const ByteBuffer& content, const std::vector<std::string>& sources,
                  platform::FileAccess access = platform::FileAccess::kUsual, KeyCause* cause = nullptr);

// Writes files that belong together as WriteWholeFiles does, refused with nothing touched
// when a path names one of the sources or another of the targets.
// The system's error names no file, as it may be any of the targets.
bool WriteKeyFiles(const std::vector<WholeFileTarget>& targets, const std::vector<std::string>& sources,
                   KeyCause* cause = nullptr);

}  // namespace qs
