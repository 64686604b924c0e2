#include "platform/working_folder.h"

#include <cstdlib>

#include "platform/file.h"

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>

#include "platform/widen_win32.h"
#endif

namespace qs::platform {
namespace {

constexpr char kFolderName[] = "QS_wd";
#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr char kSeparators[] = "/\\";
#else
constexpr char kSeparator = '/';
constexpr char kSeparators[] = "/";
#endif

std::optional<std::string> BaseFolder() {
#ifdef _WIN32
  wchar_t path[MAX_PATH + 10] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_DEFAULT,
                              path))) {
    return std::nullopt;
  }
  return Narrow(path);
#else
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
    return std::string(xdg);
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return std::nullopt;
  const std::string share = std::string(home) + "/.local/share";
  if (!CreateFolder(std::string(home) + "/.local") || !CreateFolder(share)) return std::nullopt;
  return share;
#endif
}

}  // namespace

std::optional<std::string> ChooseWorkingFolder() {
  const std::optional<std::string> base = BaseFolder();
  if (!base) return std::nullopt;
  std::string folder = JoinPath(*base, kFolderName);
  if (!CreateFolder(folder)) return std::nullopt;
  return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == kSeparator) return folder + name;
  return folder + kSeparator + name;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of(kSeparators);
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of(kSeparators);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace qs::platform
