#include "keys/safe_file_name.h"

#include <array>
#include <cctype>

namespace qs {
namespace {

bool Unsafe(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::string_view(" /\\:*?\"<>|").find(c) != std::string_view::npos;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// Windows opens the device for these names whatever extension follows them.
bool ReservedOnWindows(std::string_view name) {
  const std::string stem = Upper(name.substr(0, name.find('.')));
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

}  // namespace

std::string SafeFileName(std::string_view text) {
  std::string name(text);
  for (char& c : name) {
    if (Unsafe(static_cast<unsigned char>(c))) c = '_';
  }
  for (char& c : name) {
    if (c != '.') break;
    c = '_';
  }
  if (name.empty() || ReservedOnWindows(name)) name = "_" + name;
  return name;
}

}  // namespace qs
