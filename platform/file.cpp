#include "platform/file.h"

#include <atomic>
#include <chrono>

#include "platform/file_fault.h"
#include "platform/file_os.h"
#include "platform/working_folder.h"

namespace qs::platform {

std::optional<File> File::openRead(const std::string& path) {
  if (FileCallFails()) return std::nullopt;
  const std::intptr_t h = os::OpenRead(path);
  if (h == os::kNoHandle) return std::nullopt;
  return File(h);
}

std::optional<File> File::create(const std::string& path) {
  if (FileCallFails()) return std::nullopt;
  const std::intptr_t h = os::Create(path, false);
  if (h == os::kNoHandle) return std::nullopt;
  return File(h);
}

std::optional<File> File::standardInput() {
  if (FileCallFails()) return std::nullopt;
  const std::intptr_t h = os::DuplicateStandardInput();
  if (h == os::kNoHandle) return std::nullopt;
  return File(h);
}

std::optional<File> File::standardOutput() {
  if (FileCallFails()) return std::nullopt;
  const std::intptr_t h = os::DuplicateStandardOutput();
  if (h == os::kNoHandle) return std::nullopt;
  return File(h);
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = os::kNoHandle; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    other.handle_ = os::kNoHandle;
  }
  return *this;
}

File::~File() { close(); }

bool File::readFull(std::uint8_t* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const std::optional<std::size_t> got = read(out + done, n - done);
    if (!got || *got == 0) return false;
    done += *got;
  }
  return true;
}

std::optional<std::size_t> File::readUpTo(std::uint8_t* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const std::optional<std::size_t> got = read(out + done, n - done);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    done += *got;
  }
  return done;
}

namespace {

// A name no other writer picks: process id, time and a counter.
std::string TemporaryNameFor(const std::string& target) {
  static std::atomic<std::uint32_t> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return target + ".qs-tmp-" + std::to_string(os::ProcessId()) + "-" +
         std::to_string(static_cast<std::uint64_t>(ticks) & 0xFFFFFF) + "-" +
         std::to_string(counter.fetch_add(1));
}

}  // namespace

std::optional<AtomicFileWriter> AtomicFileWriter::begin(const std::string& target, FileAccess access,
                                                        Overwrite overwrite) {
  if (FileCallFails()) return std::nullopt;
  const os::FileMode mode = access == FileAccess::kPlaintext
                                ? os::FileMode(0600)
                                : os::ModeReplacing(target, access == FileAccess::kOwnerOnly);
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string temporary = TemporaryNameFor(target);
    const std::intptr_t h = os::Create(temporary, true, mode);
    if (h != os::kNoHandle) {
      return AtomicFileWriter(target, std::move(temporary), File(h), access, overwrite);
    }
  }
  return std::nullopt;
}

std::optional<TemporaryFile> TemporaryFile::create(const std::string& beside) {
  if (FileCallFails()) return std::nullopt;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string path = TemporaryNameFor(beside);
    const std::intptr_t h = os::Create(path, true);
    if (h != os::kNoHandle) return TemporaryFile(std::move(path), File(h));
  }
  return std::nullopt;
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : path_(std::move(other.path_)), file_(std::move(other.file_)) {
  other.path_.clear();
}

TemporaryFile::~TemporaryFile() {
  if (path_.empty()) return;
  if (file_) file_->close();
  RemoveFile(path_);
}

AtomicFileWriter::AtomicFileWriter(std::string target, std::string temporary, File file, FileAccess access,
                                   Overwrite overwrite)
    : target_(std::move(target)),
      temporary_(std::move(temporary)),
      file_(std::move(file)),
      access_(access),
      overwrite_(overwrite) {}

AtomicFileWriter::AtomicFileWriter(AtomicFileWriter&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      file_(std::move(other.file_)),
      access_(other.access_),
      overwrite_(other.overwrite_),
      done_(other.done_) {
  other.done_ = true;
}

AtomicFileWriter::~AtomicFileWriter() { abandon(); }

void AtomicFileWriter::abandon() {
  if (done_) return;
  done_ = true;
  if (file_) file_->close();
  RemoveFile(temporary_);
}

bool AtomicFileWriter::commit() {
  if (done_) return false;
  // Plaintext gets its final mode only now that it is complete, the moment before it is put
  // in place; the mode is the target's as it is at this moment.
  const bool moded =
      access_ != FileAccess::kPlaintext || os::SetMode(file_->handle_, os::ModeReplacing(target_, false));
  const bool written = moded && file_->flush() && file_->close();
  if (!written || FileCallFails() || !os::Replace(temporary_, target_, overwrite_ == Overwrite::kReplace)) {
    abandon();
    return false;
  }
  done_ = true;
  return true;
}

bool SamePlace(const std::string& a, const std::string& b) {
  if (SameFile(a, b)) return true;
  const std::string folderA = FolderOf(a);
  const std::string folderB = FolderOf(b);
  return (folderA == folderB || SameFile(folderA, folderB)) && os::SameName(NameOf(a), NameOf(b));
}

}  // namespace qs::platform
