#include "keys/key_files.h"

#include <algorithm>
#include <string_view>

#include "base/byte_order.h"
#include "base/record.h"
#include "base/whole_file.h"
#include "platform/file.h"

namespace qs {
namespace {

// A key file cut short still begins with its content's length and the tag field of a key
// record; a file that claims more than it holds and begins otherwise (a text file, say) is no
// key file at all.
bool BeginsLikeKeyFile(const std::string& path) {
  constexpr std::size_t kTagAt = 8;
  constexpr std::size_t kLongestTag = 16;
  std::optional<platform::File> file = platform::File::openRead(path);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size || *size < kTagAt) return false;
  std::uint8_t head[kTagAt + kLongestTag] = {};
  const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(*size, sizeof head));
  if (!file->readFull(head, got)) return false;
  const std::uint32_t tagLength = LoadLe32(head + 4);
  if (tagLength == 0 || tagLength > kLongestTag) return false;
  const std::string_view start(reinterpret_cast<const char*>(head + kTagAt),
                               std::min<std::size_t>(tagLength, got - kTagAt));
  for (const char* keyTag : {tag::kPublicKey, tag::kPrivateKey, tag::kPublicCertKey, tag::kPrivateCertKey,
                             tag::kCertification, tag::kCertificate, tag::kLockedKey}) {
    if (std::string_view(keyTag).substr(0, start.size()) == start) return true;
  }
  return false;
}

}  // namespace

std::optional<ByteBuffer> ReadKeyFile(const std::string& path, KeyCause* cause) {
  ByteStream stream;
  WholeFileProblem problem;
  if (!ReadWholeFile(stream, path, &problem)) {
    if (cause != nullptr) {
      *cause = {WholeFileFailed(ResultCode::kSource, path, problem, Finding::kNone).cause};
      if (problem.kind == WholeFileProblem::kTooLong ||
          (problem.kind == WholeFileProblem::kTruncated && !BeginsLikeKeyFile(path)))
        cause->finding = KeyFinding::kNotKeyFile;
    }
    return std::nullopt;
  }
  return std::move(stream.bytes);
}

KeyCause WrongKindIn(const std::string& path, const ByteBuffer& content, KeyFinding notThisKind) {
  const bool certKey =
      HasRecordTag(content, tag::kPublicCertKey) || HasRecordTag(content, tag::kPrivateCertKey);
  if (notThisKind == KeyFinding::kNotCertificate && certKey)
    return FoundIn(path, KeyFinding::kCertKeyNotCertificate);
  return FoundIn(path, notThisKind);
}

namespace {

bool NamesAny(const std::string& path, const std::vector<std::string>& others) {
  for (const std::string& other : others) {
    if (platform::SameFile(path, other)) return true;
  }
  return false;
}

void SetCause(KeyCause* cause, KeyCause what) {
  if (cause != nullptr) *cause = std::move(what);
}

KeyCause SameFileCause(const std::string& path) { return KeyCause{FileCause{path, Finding::kSameFile}}; }

}  // namespace

bool WriteKeyFile(const std::string& path, const ByteBuffer& content, const std::vector<std::string>& sources,
                  platform::FileAccess access, KeyCause* cause) {
  if (NamesAny(path, sources)) {
    SetCause(cause, SameFileCause(path));
    return false;
  }
  if (WriteWholeFile(ByteStream(content), path, access)) return true;
  SetCause(cause, SystemCause(path));
  return false;
}

bool WriteKeyFiles(const std::vector<WholeFileTarget>& targets, const std::vector<std::string>& sources,
                   KeyCause* cause) {
  std::vector<std::string> taken = sources;
  for (const WholeFileTarget& target : targets) {
    if (NamesAny(target.path, taken)) {
      SetCause(cause, SameFileCause(target.path));
      return false;
    }
    taken.push_back(target.path);
  }
  if (WriteWholeFiles(targets)) return true;
  SetCause(cause, SystemCause(""));
  return false;
}

}  // namespace qs
