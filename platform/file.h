#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qs::platform {

// A file handle with a UTF-8 path, opened with the wide API on Windows so any name works.
// Binary, unbuffered, closed on destruction. Moves only.
class File {
 public:
  static std::optional<File> openRead(const std::string& path);
  // Creates or truncates the file, for reading and writing.
  static std::optional<File> create(const std::string& path);
  // The process's standard input or output as a handle of its own, so that closing it leaves
  // the stream open; nothing when the process has none. A pipe's size is not known (the
  // system says 0), so it is never asked. Bytes pass unchanged, line ends included.
  static std::optional<File> standardInput();
  static std::optional<File> standardOutput();

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Reads up to n bytes; the count read, 0 at the end, nullopt on an error.
  std::optional<std::size_t> read(std::uint8_t* out, std::size_t n);
  // Reads exactly n bytes, or false.
  bool readFull(std::uint8_t* out, std::size_t n);
  // Reads until n bytes are in or the end is reached, for a stream that gives what it has:
  // the count read (below n only at the end), nullopt on an error.
  std::optional<std::size_t> readUpTo(std::uint8_t* out, std::size_t n);
  bool write(const std::uint8_t* data, std::size_t n);
  bool seek(std::uint64_t offset);
  std::optional<std::uint64_t> size() const;
  // Forces the written bytes to the disk.
  bool flush();
  // Starts writing the bytes written so far to the disk without waiting for it, so that a
  // later flush of a large file has little left to wait for. Only a hint: where the system
  // has no such call, nothing happens.
  void startWriteBack();
  bool close();

 private:
  friend class AtomicFileWriter;
  friend class TemporaryFile;
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

bool FileExists(const std::string& path);  // any kind of entry, a folder too
bool IsFolder(const std::string& path);    // an existing folder, or a link to one
bool RemoveFile(const std::string& path);
bool CreateFolder(const std::string& path);  // true when it exists afterwards, new ones owner-only
// True when group or others may list or enter the folder (POSIX); false on Windows, where the
// working folder inherits the user's profile ACL.
bool FolderOpenToOthers(const std::string& path);
// True only when both name one existing file, however they are spelt.
bool SameFile(const std::string& a, const std::string& b);
// True when both name one file, or, where that is not known, the same name in one folder
// (on Windows without regard to case): two outputs that would land in one place.
bool SamePlace(const std::string& a, const std::string& b);

// Who may read a file once written. On POSIX a usual new file gets the mode the umask leaves;
// an owner-only file (private key material) is 0600 whatever the umask, its temporary file
// too; a file that replaces another keeps that file's mode (an owner-only one no wider than
// 0600), when that file is a regular file itself and not a link. A plaintext file (what a
// decryption writes) is usual once committed, but owner-only while it is written, so that
// nobody opens the growing temporary file. On Windows all inherit the folder's ACL, which in
// the working folder is the user's profile's.
enum class FileAccess { kUsual, kOwnerOnly, kPlaintext };

// Whether committing may replace a file that exists at the target name by then.
enum class Overwrite { kReplace, kNever };

// Writes a new file beside the target and puts it in the target's place only on commit, so
// a failure or a cancel leaves an older target as it was and no partial file behind.
class AtomicFileWriter {
 public:
  static std::optional<AtomicFileWriter> begin(const std::string& target,
                                               FileAccess access = FileAccess::kUsual,
                                               Overwrite overwrite = Overwrite::kReplace);

  AtomicFileWriter(AtomicFileWriter&& other) noexcept;
  AtomicFileWriter& operator=(AtomicFileWriter&&) = delete;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();  // removes the temporary file unless committed

  File& file() { return *file_; }
  const std::string& temporaryPath() const { return temporary_; }
  // Flushes, closes and puts the file at the target name; false leaves the target untouched,
  // also with Overwrite::kNever when a file has appeared there since begin.
  bool commit();

 private:
  AtomicFileWriter(std::string target, std::string temporary, File file, FileAccess access,
                   Overwrite overwrite);
  void abandon();

  std::string target_;
  std::string temporary_;
  std::optional<File> file_;
  FileAccess access_;
  Overwrite overwrite_;
  bool done_ = false;
};

// A new empty file beside the given name, under a name no other writer picks, removed when
// this goes: for bytes that wait between a stream and a pipeline that takes a named file.
class TemporaryFile {
 public:
  static std::optional<TemporaryFile> create(const std::string& beside);

  TemporaryFile(TemporaryFile&& other) noexcept;
  TemporaryFile& operator=(TemporaryFile&&) = delete;
  TemporaryFile(const TemporaryFile&) = delete;
  ~TemporaryFile();

  const std::string& path() const { return path_; }
  // Open for reading and writing until closed, so that others may open it by name.
  File& file() { return *file_; }
  bool close() { return file_->close(); }

 private:
  TemporaryFile(std::string path, File file) : path_(std::move(path)), file_(std::move(file)) {}

  std::string path_;
  std::optional<File> file_;
};

}  // namespace qs::platform
