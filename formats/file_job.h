#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "base/progress_hook.h"
#include "formats/progress.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

// How encryption compresses each chunk. Both kinds set the header's compressed flag and write
// chunks every reader decodes; kStrong sorts every block to the end (CompressChunkStrong),
// kFormat is the format's own compressor, fully determined by the input.
enum class ChunkCompression : std::uint8_t { kNone, kFormat, kStrong };

// One encryption or decryption as the pipelines of both formats take it; the keys come beside
// it, named for their role. Paths are UTF-8.
struct FileJob {
  std::string source;
  std::string target;
  RandomGenerator* generator = nullptr;
  // Native encryption only; decryption follows the header, the OKI format never compresses.
  ChunkCompression compression = ChunkCompression::kNone;
  // Native format, optional: current = chunk just done, count = chunks.
  ChunkProgress* chunks = nullptr;
  // OKI format, optional: counts cipher and MAC blocks and carries the cancel; totalBytes is
  // set to the bytes being processed as soon as they are known.
  ProgressHook* bytes = nullptr;
  std::atomic<std::uint32_t>* totalBytes = nullptr;
  platform::Overwrite overwrite = platform::Overwrite::kReplace;  // a file at the target name by the end
  // Instead of the named files: the source read in order from a stream whose size is not
  // known beforehand (standard input), the output written in order to a stream that cannot be
  // taken back (standard output); source and target then only name them in messages.
  // Encryption takes a source stream, decryption a target stream.
  platform::File* sourceStream = nullptr;
  platform::File* targetStream = nullptr;
  // Decryption only: everything read, opened, authenticated and decompressed; nothing written.
  bool checkOnly = false;
};

}  // namespace qs
