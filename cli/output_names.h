#pragma once
#include <optional>
#include <string>

namespace qs::cli {

inline constexpr char kEncryptedSuffix[] = ".encrypted";

// "doc.pdf.encrypted" -> "doc.pdf"; nothing for a name without that suffix (a true suffix
// test: "x.encrypted.encrypted" gives "x.encrypted").
std::optional<std::string> DecryptedFileName(const std::string& encrypted);

// "plan.txt" signed with the key pair "work key" -> "plan.txt_work_key.signature".
std::string SignatureFileName(const std::string& source, const std::string& keyName);

}  // namespace qs::cli
