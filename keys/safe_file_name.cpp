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

// The digits Windows reserves after COM and LPT: 0 to 9 and the superscripts ¹ ² ³ (UTF-8).
bool PortNumber(std::string_view digit) {
  if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

// Windows opens the device for these names whatever extension follows them.
bool ReservedOnWindows(std::string_view name) {
  const std::string stem = Upper(name.substr(0, name.find('.')));
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kDevices) {
    if (stem == device) return true;
  }
  return (stem.starts_with("COM") || stem.starts_with("LPT")) && PortNumber(std::string_view(stem).substr(3));
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
