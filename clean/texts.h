#pragma once
// Everything rw_clean says to the user, UTF-8 here; the message boxes show it as UTF-16.
#include <string>
#include <string_view>

namespace qs::clean::texts {

inline constexpr std::string_view kCaption = "Quillseal";
inline constexpr std::string_view kBadParameter = "Fel: Felaktig paramater.";
inline constexpr std::string_view kTaskNotRemoved = "Fel: Kunde inte ta bort schema för kopiering!";
inline constexpr std::string_view kKeepKeys =
    "Vill du lämna kvar eventuella privata krypteringsnycklar som lagras på datorn?";
inline constexpr std::string_view kConfirmOverwrite =
    "Krypteringsnyckeln kommer raderas med överskrivning, vill du fortsätta?";
inline constexpr std::string_view kNoWorkingFolder = "Fel: Kunde inte öppna arbetsmappen!";
inline constexpr std::string_view kCannotDelete = "Kunde inte radera filer!";
inline constexpr std::string_view kCannotDeleteAll = "Kunde inte radera alla filer!";
inline constexpr std::string_view kWorkingFolderIsLink = "Fel: Arbetsmappen är en länk, inget har raderats!";

// A file with a second name elsewhere (a hard link): overwriting it would destroy that file too.
inline std::string SeveralNames(std::string_view file) {
  return "Filen \"" + std::string(file) + "\" har flera namn och har varken skrivits över eller raderats!";
}

}  // namespace qs::clean::texts
