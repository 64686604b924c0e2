#include "app/file_names.h"

namespace qs {

std::string CutAtControl(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size() && static_cast<unsigned char>(name[end]) >= 32) ++end;
  return std::string(name.substr(0, end));
}

std::vector<std::string> ChosenPaths(std::string_view list) {
  std::vector<std::string_view> parts;
  while (!list.empty()) {
    const std::size_t end = list.find('\0');
    const std::string_view part = list.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  if (parts.size() <= 1) return {parts.begin(), parts.end()};
  // A folder that is a drive's root ends in its separator already.
  std::string folder(parts.front());
  if (folder.back() != '\\') folder.push_back('\\');
  std::vector<std::string> paths;
  for (auto name = parts.begin() + 1; name != parts.end(); ++name)
    paths.push_back(folder + std::string(*name));
  return paths;
}

}  // namespace qs
