#pragma once
#include <optional>
#include <string>

namespace qs::cli {

inline constexpr char kEncryptedSuffix[] = ".encrypted";

// True when text ends with suffix (a true suffix test: "x.encrypted.encrypted" ends with
// ".encrypted").
bool EndsWith(const std::string& text, const std::string& suffix);

// Every space replaced by an underscore, as in all suggested file names.
std::string Underscored(std::string name);

// "doc.pdf.encrypted" -> "doc.pdf"; nothing for a name without the suffix.
std::optional<std::string> DecryptedFileName(const std::string& encrypted);

// "plan.txt" signed with the key pair "work key" -> "plan.txt_work_key.signature".
std::string SignatureFileName(const std::string& source, const std::string& keyName);

}  // namespace qs::cli
