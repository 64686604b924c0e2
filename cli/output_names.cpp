#include "cli/output_names.h"

namespace qs::cli {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string Underscored(std::string name) {
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return name;
}

std::optional<std::string> DecryptedFileName(const std::string& encrypted) {
  if (!EndsWith(encrypted, kEncryptedSuffix) || encrypted.size() == sizeof kEncryptedSuffix - 1) return std::nullopt;
  return encrypted.substr(0, encrypted.size() - (sizeof kEncryptedSuffix - 1));
}

std::string SignatureFileName(const std::string& source, const std::string& keyName) {
  return source + "_" + Underscored(keyName) + ".signature";
}

}  // namespace qs::cli
