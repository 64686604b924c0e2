#include "cli/output_names.h"

#include "keys/safe_file_name.h"

namespace qs::cli {

std::optional<std::string> DecryptedFileName(const std::string& encrypted) {
  const std::size_t n = sizeof kEncryptedSuffix - 1;
  if (encrypted.size() <= n || encrypted.compare(encrypted.size() - n, n, kEncryptedSuffix) != 0) return std::nullopt;
  return encrypted.substr(0, encrypted.size() - n);
}

std::string SignatureFileName(const std::string& source, const std::string& keyName) {
  return source + "_" + SafeFileName(keyName) + ".signature";
}

}  // namespace qs::cli
