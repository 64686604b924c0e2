#pragma once
#include <string>
#include <string_view>

namespace qs {

// A failure's message box: the outcome's message, then on a second line its cause when one
// is known.
inline std::string TwoLineMessage(std::string_view message, std::string_view cause) {
  std::string text(message);
  if (!cause.empty()) text.append("\n").append(cause);
  return text;
}

}  // namespace qs
