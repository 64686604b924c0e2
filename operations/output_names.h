#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The names both front ends give the files an operation writes. Paths are UTF-8.
inline constexpr char kEncryptedSuffix[] = ".encrypted";
inline constexpr char kSignatureSuffix[] = ".signature";

// The part after the last folder separator, or the whole path without one. Both "\" and "/"
// separate folders, as on Windows.
std::string FileNamePart(std::string_view path);

// True when path ends with suffix.
bool EndsWith(std::string_view path, std::string_view suffix);

// "doc.pdf" -> "doc.pdf.encrypted".
std::string EncryptedFileName(const std::string& source);

// "doc.pdf.encrypted" -> "doc.pdf"; nothing for a name without that suffix (a true suffix
// test: "x.encrypted.encrypted" gives "x.encrypted").
std::optional<std::string> DecryptedFileName(const std::string& encrypted);

// "plan.txt" signed with the key pair "work key" -> "plan.txt_work_key.signature".
std::string SignatureFileName(const std::string& source, const std::string& keyName);

// The paths the signed file of a signature file may have, beside it, most likely first: the
// name without ".signature", then that name cut at each "_" from the end, since the key
// name comes last: "d/plan.txt_work_key.signature" -> "d/plan.txt_work_key",
// "d/plan.txt_work", "d/plan.txt". None for a path without the suffix.
std::vector<std::string> SignedFileNames(const std::string& signature);

}  // namespace qs
