#include "app/file_names.h"

namespace qs {

std::string FileNamePart(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

bool EndsWith(std::string_view path, std::string_view suffix) {
  return path.size() >= suffix.size() && path.substr(path.size() - suffix.size()) == suffix;
}

std::string CutAtControl(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size() && static_cast<unsigned char>(name[end]) >= 32) ++end;
  return std::string(name.substr(0, end));
}

}  // namespace qs
