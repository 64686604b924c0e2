#include "app/file_names.h"

namespace qs {

std::string CutAtControl(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size() && static_cast<unsigned char>(name[end]) >= 32) ++end;
  return std::string(name.substr(0, end));
}

}  // namespace qs
