#pragma once

#include <string>

// The user's own folders, where the original system's shell folders were: the XDG base directories and the
// documents folder of xdg-user-dirs.
namespace Platform
{
enum class UserFolder
{
    Data,      // $XDG_DATA_HOME, else ~/.local/share
    Config,    // $XDG_CONFIG_HOME, else ~/.config
    Documents, // XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else the home folder
};

// The folder's path (UTF-8, no trailing separator), read from the environment at each call and made with
// its missing parents when it does not exist. An XDG variable that is not an absolute path is ignored, as
// the XDG base-directory rules ask. Empty when the folder cannot be made; a documents folder that cannot be
// made gives the home folder instead.
[[nodiscard]] std::string UserFolderPath(UserFolder folder);
} // namespace Platform
