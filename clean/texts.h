#pragma once
// Everything rw_clean says to the user, UTF-8 here; the message boxes show it as UTF-16.
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

}  // namespace qs::clean::texts
