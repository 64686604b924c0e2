#include <windows.h>
// windows.h first: winternl.h needs its types.
#include <winternl.h>

#include <algorithm>
#include <cstddef>

#include "clean/system_files.h"
#include "clean/utf16_win32.h"
#include "clean/write_chunk.h"

namespace qs::clean {
namespace {

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Opens a file of the open folder by its name in that folder, so that renaming the folder or
// putting a link in its place cannot redirect the open. A link itself is opened, never what
// it points to.
HANDLE OpenInFolder(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG share) {
  std::wstring wide = ToUtf16(name);
  // The name's length is counted in bytes in 16 bits.
  if (wide.empty() || wide.size() > 0x7FFF) return INVALID_HANDLE_VALUE;
  UNICODE_STRING relative;
  relative.Buffer = wide.data();
  relative.Length = relative.MaximumLength = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &relative, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status;
  HANDLE file = nullptr;
  const NTSTATUS opened = NtCreateFile(
      &file, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, share, FILE_OPEN,
      FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  return NT_SUCCESS(opened) ? file : INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    DWORD put = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(n), &put, nullptr) || put == 0) return false;
    data += put;
    n -= put;
  }
  return true;
}

FileWipe OverwriteOpen(HANDLE file, const FillBytes& fill) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes &
       (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return FileWipe::kFailed;
  }
  if (info.nNumberOfLinks > 1) return FileWipe::kSeveralNames;
  std::uint64_t left = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  WriteChunk chunk;
  while (left > 0) {
    const std::size_t n = chunk.next(left, fill);
    if (!WriteAll(file, chunk.data(), n)) return FileWipe::kFailed;
    left -= n;
  }
  return FlushFileBuffers(file) ? FileWipe::kDone : FileWipe::kFailed;
}

// Whether what was opened as the folder is one, and no link.
FolderState CheckFolder(HANDLE folder, const std::wstring& path) {
  // Wine opens what a Unix symbolic link points to even with FILE_FLAG_OPEN_REPARSE_POINT and
  // shows the link only in the attributes of the path; Windows shows it in both.
  if (IsReparsePoint(GetFileAttributesW(path.c_str()))) return FolderState::kLink;
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (folder == INVALID_HANDLE_VALUE ||
      !GetFileInformationByHandleEx(folder, FileAttributeTagInfo, &tag, sizeof tag)) {
    return FolderState::kCannotList;
  }
  if (IsReparsePoint(tag.FileAttributes)) return FolderState::kLink;
  return (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderState::kUsable
                                                              : FolderState::kCannotList;
}

// Appends the entries of one batch of the listing, each checked to lie inside the buffer.
bool AppendEntries(const std::vector<std::uint64_t>& batch, std::vector<FolderEntry>& entries) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(batch.data());
  const std::size_t size = batch.size() * sizeof(batch[0]);
  constexpr std::size_t kNameAt = offsetof(FILE_FULL_DIR_INFO, FileName);
  std::size_t at = 0;
  for (;;) {
    if (size - at < kNameAt) return false;
    const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes + at);
    if (entry->FileNameLength > size - at - kNameAt || entry->NextEntryOffset > size - at) return false;
    entries.push_back({ToUtf8(std::wstring_view(entry->FileName, entry->FileNameLength / sizeof(wchar_t))),
                       (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    if (entry->NextEntryOffset == 0) return true;
    at += entry->NextEntryOffset;
  }
}

}  // namespace

SystemFiles::~SystemFiles() { closeFolder(); }

void SystemFiles::closeFolder() {
  if (folder_ != nullptr) CloseHandle(folder_);
  folder_ = nullptr;
}

FolderState SystemFiles::openFolder(const std::string& folder) {
  closeFolder();
  path_ = folder;
  const std::wstring wide = ToUtf16(folder);
  // No FILE_SHARE_DELETE: nobody renames or removes the folder while it is open.
  const HANDLE opened = CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  const FolderState checked = CheckFolder(opened, wide);
  if (checked == FolderState::kUsable) {
    folder_ = opened;
  } else if (opened != INVALID_HANDLE_VALUE) {
    CloseHandle(opened);
  }
  return checked;
}

std::optional<std::vector<FolderEntry>> SystemFiles::list() {
  // Many entries per call; 8-byte aligned, as the entries are.
  std::vector<std::uint64_t> batch(8 * 1024);
  const DWORD batchBytes = static_cast<DWORD>(batch.size() * sizeof(batch[0]));
  std::vector<FolderEntry> entries;
  for (auto kind = FileFullDirectoryRestartInfo;; kind = FileFullDirectoryInfo) {
    if (!GetFileInformationByHandleEx(folder_, kind, batch.data(), batchBytes)) {
      if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
      break;
    }
    if (!AppendEntries(batch, entries)) return std::nullopt;
  }
  // A drive's root lists no ".." (Windows no "." either), and a root is never the folder to wipe.
  const bool hasParent =
      std::any_of(entries.begin(), entries.end(), [](const FolderEntry& e) { return e.name == ".."; });
  if (entries.empty() || entries.front().name != "." || !hasParent) return std::nullopt;
  return entries;
}

FileWipe SystemFiles::overwrite(const std::string& name, const FillBytes& fill) {
  // No sharing: nothing else may write or read the file while its bytes are replaced.
  const HANDLE file = OpenInFolder(folder_, name, GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0);
  if (file == INVALID_HANDLE_VALUE) return FileWipe::kFailed;
  const FileWipe written = OverwriteOpen(file, fill);
  return CloseHandle(file) ? written : FileWipe::kFailed;
}

bool SystemFiles::removeFile(const std::string& name) {
  const HANDLE file =
      OpenInFolder(folder_, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  const bool marked = SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  return CloseHandle(file) && marked;
}

bool SystemFiles::removeFolder() {
  closeFolder();
  // By path: a link put in its place since is removed itself, never what it points to.
  return RemoveDirectoryW(ToUtf16(path_).c_str()) != 0;
}

}  // namespace qs::clean
