#pragma once
#include <optional>
#include <string>

namespace qs::platform {

// The program's working folder, created when missing: on Windows the user's local
// application-data folder + "\QS_wd"; elsewhere $XDG_DATA_HOME/QS_wd, else
// ~/.local/share/QS_wd. Nullopt when the base folder is unknown or the folder cannot be made.
std::optional<std::string> ChooseWorkingFolder();

// folder + separator + name; the program's own files are addressed this way.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder part of a path ("." for a bare name) and its last name: JoinPath undone.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

}  // namespace qs::platform
