#include "keys/personal_certificate.h"

#include "keys/cert_keys.h"
#include "keys/certificate.h"
#include "keys/certification.h"
#include "keys/key_files.h"
#include "keys/record_text.h"
#include "keys/safe_file_name.h"
#include "platform/working_folder.h"

namespace qs {

KeyStatus PendingCertifications::add(const std::string& path) {
  KeyCause cause;
  std::optional<ByteBuffer> content = ReadKeyFile(path, &cause);
  if (!content) return {KeyOutcome::kCertificationFileUnreadable, std::move(cause)};
  if (!ReadCertificationHeader(*content))
    return {KeyOutcome::kCertificationFileUnreadable, FoundIn(path, KeyFinding::kNotCertification)};
  contents_.push_back(std::move(*content));
  paths_.push_back(path);
  return KeyOutcome::kOk;
}

KeyOutcome PendingCertifications::remove(std::optional<std::size_t> row) {
  if (!row || *row >= contents_.size()) return KeyOutcome::kNoCertificationSelected;
  contents_.erase(contents_.begin() + static_cast<std::ptrdiff_t>(*row));
  paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(*row));
  return KeyOutcome::kOk;
}

void PendingCertifications::clear() {
  contents_.clear();
  paths_.clear();
}

std::vector<PendingCertifications::Row> PendingCertifications::rows() const {
  std::vector<Row> rows;
  for (const ByteBuffer& content : contents_) {
    // add took only contents that have this header.
    const std::optional<CertificationHeader> header = ReadCertificationHeader(content);
    rows.push_back(Row{DisplayText(header->organisation), HexString(header->keyId)});
  }
  return rows;
}

KeyResult<PersonalCertificate> MakePersonalCertificate(const StoredKeyPair& own,
                                                       const PendingCertifications& pending) {
  std::optional<ByteBuffer> record = CreateCertificate(own.publicRecord, pending.contents());
  if (!record) return Failed<PersonalCertificate>(KeyOutcome::kCertificateNotCreated);
  return {KeyOutcome::kOk, PersonalCertificate{std::move(*record), SafeFileName(DisplayText(own.keyName))}};
}

KeyStatus WritePersonalCertificate(const std::string& workingFolder, const std::string& path,
                                   const ByteBuffer& record, const PendingCertifications& pending) {
  std::vector<std::string> sources = pending.paths();
  sources.push_back(platform::JoinPath(workingFolder, kKeyPairFileName));
  KeyCause cause;
  if (!WriteKeyFile(path, record, sources, platform::FileAccess::kUsual, &cause))
    return {KeyOutcome::kCertificateNotWritten, std::move(cause)};
  return KeyOutcome::kOk;
}

}  // namespace qs
