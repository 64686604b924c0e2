#pragma once
#include <optional>
#include <span>
#include <string>

#include "base/byte_stream.h"
#include "platform/file.h"

namespace qs {

// The container of key, certificate, signature and working-folder files: a u32 content
// length N, then N bytes, and nothing after them.

inline constexpr std::uint32_t kMaxWholeFileContent = 1u << 30;
inline constexpr std::uint32_t kWholeFilePiece = 102400;

// Why ReadWholeFile failed.
struct WholeFileProblem {
  enum Kind : std::uint8_t {
    kNone,
    kSystem,         // platform::LastFileError() says what
    kTruncated,      // the content ends before its length says: size of needed bytes
    kTrailingBytes,  // bytes after the content
    kTooLong,        // a length above 2^30: not a file of this kind
    kCancelled,
  };
  Kind kind = kNone;
  std::uint64_t size = 0;
  std::uint64_t needed = 0;
};

// Reads the content into stream.bytes (cursor 0). Fails, leaving the stream as it was, when
// the file cannot be read, claims more than 2^30 bytes or more than it holds, holds bytes
// after the content, or the hook cancels; problem, when given, then says which. Progress and
// cancel are checked after every piece, cancel first.
bool ReadWholeFile(ByteStream& stream, const std::string& path, WholeFileProblem* problem = nullptr);

// Writes stream.bytes as the content through a temporary file that replaces the target
// only when complete; on failure or cancel an older target is left as it was.
// With Overwrite::kNever a file that exists at the path when the write is complete is kept
// and the write fails.
bool WriteWholeFile(const ByteStream& stream, const std::string& path,
                    platform::FileAccess access = platform::FileAccess::kUsual,
                    platform::Overwrite overwrite = platform::Overwrite::kReplace);

// The container, its u32 length and the content, written in order to an open file or stream
// (standard output), in pieces reported to the stream's hook.
bool WriteContainer(platform::File& file, const ByteStream& stream);

// One file of WriteWholeFiles.
struct WholeFileTarget {
  const ByteBuffer& content;
  std::string path;
};

// Files that belong together: each is written through its own temporary file, and only when
// all are written and on the disk are they put in place, in the order given. A failure while
// writing leaves every target as it was; only a failure in putting one in place (its commit)
// leaves the ones before it in place. Each file gets the usual access (FileAccess::kUsual).
bool WriteWholeFiles(std::span<const WholeFileTarget> targets);

}  // namespace qs
