#include "operations/standard_streams.h"

#include "base/byte_buffer.h"

namespace qs {
namespace {

constexpr std::uint32_t kPieceBytes = 1u << 20;

// Copies from to its end into to; which of the two failed, when one did.
std::optional<ResultCode> Copy(platform::File& from, platform::File& to) {
  ByteBuffer piece = ByteBuffer::zeros(kPieceBytes);
  for (;;) {
    const std::optional<std::size_t> got = from.readUpTo(piece.data(), piece.length());
    if (!got) return ResultCode::kSource;
    if (!to.write(piece.data(), *got)) return ResultCode::kTarget;
    if (*got < piece.length()) return std::nullopt;
  }
}

}  // namespace

std::optional<platform::TemporaryFile> KeepStandardInput(const std::string& beside,
                                                         const std::string& sourceName, FileResult& why) {
  std::optional<platform::File> in = platform::File::standardInput();
  if (!in) {
    why = SystemFailed(ResultCode::kSource, sourceName);
    return std::nullopt;
  }
  std::optional<platform::TemporaryFile> kept = platform::TemporaryFile::create(beside);
  if (!kept) {
    why = SystemFailed(ResultCode::kTarget, beside);
    return std::nullopt;
  }
  const std::optional<ResultCode> failed = Copy(*in, kept->file());
  if (failed || !kept->close()) {
    why = SystemFailed(failed.value_or(ResultCode::kTarget),
                       failed == ResultCode::kSource ? sourceName : kept->path());
    return std::nullopt;
  }
  return kept;
}

FileResult CopyToStandardOutput(const std::string& path, const std::string& targetName) {
  std::optional<platform::File> from = platform::File::openRead(path);
  if (!from) return SystemFailed(ResultCode::kTarget, path);
  std::optional<platform::File> out = platform::File::standardOutput();
  if (!out) return SystemFailed(ResultCode::kTarget, targetName);
  const std::optional<ResultCode> failed = Copy(*from, *out);
  if (failed) return SystemFailed(ResultCode::kTarget, failed == ResultCode::kSource ? path : targetName);
  return FileResult{};
}

FileCause NamedAsStream(FileCause cause, const std::string& temporary, const std::string& streamName) {
  if (cause.file == temporary) cause.file = streamName;
  return cause;
}

}  // namespace qs
