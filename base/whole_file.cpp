#include "base/whole_file.h"

#include <vector>

#include "base/byte_order.h"
#include "platform/file.h"

namespace qs {
namespace {

// Moves one piece of at most kWholeFilePiece bytes and reports it to the hook; false when
// the hook asks to stop. The cancel flag is looked at before the count grows.
bool ReportPiece(ProgressHook* hook, std::uint32_t piece) {
  if (hook == nullptr) return true;
  if (hook->cancelRequested()) return false;
  hook->add(static_cast<std::int32_t>(piece));
  return true;
}

bool Refuse(WholeFileProblem* problem, WholeFileProblem found) {
  if (problem != nullptr) *problem = found;
  return false;
}

}  // namespace

bool WriteContainer(platform::File& file, const ByteStream& stream) {
  const ByteBuffer& content = stream.bytes;
  ByteBuffer prefix;
  prefix.appendU32(content.length());
  if (!file.write(prefix.data(), prefix.length())) return false;
  for (std::uint32_t done = 0; done < content.length();) {
    const std::uint32_t left = content.length() - done;
    const std::uint32_t piece = left < kWholeFilePiece ? left : kWholeFilePiece;
    if (!file.write(content.data() + done, piece)) return false;
    if (!ReportPiece(stream.progress, piece)) return false;
    done += piece;
  }
  return true;
}

bool ReadWholeFile(ByteStream& stream, const std::string& path, WholeFileProblem* problem) {
  constexpr WholeFileProblem kSystemError{WholeFileProblem::kSystem};
  std::optional<platform::File> file = platform::File::openRead(path);
  const std::optional<std::uint64_t> fileSize = file ? file->size() : std::nullopt;
  if (!fileSize) return Refuse(problem, kSystemError);
  std::uint8_t prefix[4] = {0, 0, 0, 0};
  const std::uint64_t prefixBytes = *fileSize < 4 ? *fileSize : 4;
  if (!file->readFull(prefix, static_cast<std::size_t>(prefixBytes))) return Refuse(problem, kSystemError);
  const std::uint32_t length = LoadLe32(prefix);
  // A damaged prefix must not make us allocate what the file cannot hold.
  if (length > kMaxWholeFileContent) return Refuse(problem, {WholeFileProblem::kTooLong});
  const std::uint64_t needed = prefixBytes + length;
  if (needed > *fileSize) return Refuse(problem, {WholeFileProblem::kTruncated, *fileSize, needed});
  // No writer puts anything after the content, so bytes there were added to the file, and
  // nothing they say may pass for part of it.
  if (needed < *fileSize) return Refuse(problem, {WholeFileProblem::kTrailingBytes});

  ByteBuffer content = ByteBuffer::zeros(length);
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t piece = length - done < kWholeFilePiece ? length - done : kWholeFilePiece;
    if (!file->readFull(content.data() + done, piece)) return Refuse(problem, kSystemError);
    if (!ReportPiece(stream.progress, piece)) return Refuse(problem, {WholeFileProblem::kCancelled});
    done += piece;
  }
  stream.bytes = std::move(content);
  stream.cursor = 0;
  return true;
}

bool WriteWholeFile(const ByteStream& stream, const std::string& path, platform::FileAccess access,
                    platform::Overwrite overwrite) {
  std::optional<platform::AtomicFileWriter> writer =
      platform::AtomicFileWriter::begin(path, access, overwrite);
  return writer && WriteContainer(writer->file(), stream) && writer->commit();
}

bool WriteWholeFiles(std::span<const WholeFileTarget> targets) {
  std::vector<platform::AtomicFileWriter> writers;
  writers.reserve(targets.size());
  for (const WholeFileTarget& target : targets) {
    std::optional<platform::AtomicFileWriter> writer = platform::AtomicFileWriter::begin(target.path);
    if (!writer) return false;
    writers.push_back(std::move(*writer));
    if (!WriteContainer(writers.back().file(), ByteStream(target.content)) || !writers.back().file().flush())
      return false;
  }
  for (platform::AtomicFileWriter& writer : writers) {
    if (!writer.commit()) return false;
  }
  return true;
}

}  // namespace qs
