#include "operations/output_names.h"

#include "keys/safe_file_name.h"

namespace qs {

std::string FileNamePart(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

bool EndsWith(std::string_view path, std::string_view suffix) {
  return path.size() >= suffix.size() && path.substr(path.size() - suffix.size()) == suffix;
}

std::string EncryptedFileName(const std::string& source) { return source + kEncryptedSuffix; }

std::optional<std::string> DecryptedFileName(const std::string& encrypted) {
  const std::size_t n = sizeof kEncryptedSuffix - 1;
  if (encrypted.size() <= n || !EndsWith(encrypted, kEncryptedSuffix)) return std::nullopt;
  return encrypted.substr(0, encrypted.size() - n);
}

std::string SignatureFileName(const std::string& source, const std::string& keyName) {
  return source + "_" + SafeFileName(keyName) + kSignatureSuffix;
}

std::vector<std::string> SignedFileNames(const std::string& signature) {
  const std::size_t n = sizeof kSignatureSuffix - 1;
  if (!EndsWith(signature, kSignatureSuffix)) return {};
  const std::string base = signature.substr(0, signature.size() - n);
  const std::size_t nameStart = base.size() - FileNamePart(base).size();
  std::vector<std::string> names;
  if (base.size() > nameStart) names.push_back(base);
  for (std::size_t cut = base.rfind('_'); cut != std::string::npos && cut > nameStart;
       cut = base.rfind('_', cut - 1)) {
    names.push_back(base.substr(0, cut));
  }
  return names;
}

}  // namespace qs
