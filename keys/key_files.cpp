#include "keys/key_files.h"

#include "base/record.h"
#include "base/whole_file.h"
#include "platform/file.h"

namespace qs {

std::optional<ByteBuffer> ReadKeyFile(const std::string& path, KeyCause* cause) {
  ByteStream stream;
  WholeFileProblem problem;
  if (!ReadWholeFile(stream, path, &problem)) {
    if (cause != nullptr) {
      *cause = {WholeFileFailed(ResultCode::kSource, path, problem, Finding::kNone).cause};
      if (problem.kind == WholeFileProblem::kTooLong) cause->finding = KeyFinding::kNotKeyFile;
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
