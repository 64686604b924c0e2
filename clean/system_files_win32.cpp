#include <windows.h>

#include "clean/system_files.h"
#include "clean/utf16_win32.h"
#include "clean/write_chunk.h"

namespace qs::clean {
namespace {

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    DWORD put = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(n), &put, nullptr) || put == 0) return false;
    data += put;
    n -= put;
  }
  return true;
}

bool OverwriteOpen(HANDLE file, const FillBytes& fill) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes &
       (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  std::uint64_t left = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  WriteChunk chunk;
  while (left > 0) {
    const std::size_t n = chunk.next(left, fill);
    if (!WriteAll(file, chunk.data(), n)) return false;
    left -= n;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

std::optional<std::vector<FolderEntry>> SystemFiles::list(const std::string& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(ToUtf16(folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    entries.push_back({ToUtf8(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (entries.front().name != ".") return std::nullopt;
  return entries;
}

bool SystemFiles::overwrite(const std::string& path, const FillBytes& fill) {
  // No sharing: nothing else may write or read the file while its bytes are replaced.
  const HANDLE file = CreateFileW(ToUtf16(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = OverwriteOpen(file, fill);
  return CloseHandle(file) != 0 && written;
}

bool SystemFiles::removeFile(const std::string& path) { return DeleteFileW(ToUtf16(path).c_str()) != 0; }

bool SystemFiles::removeFolder(const std::string& path) {
  return RemoveDirectoryW(ToUtf16(path).c_str()) != 0;
}

}  // namespace qs::clean
