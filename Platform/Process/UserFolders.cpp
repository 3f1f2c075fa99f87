#include "Platform/Process/UserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace Platform
{
namespace
{
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return home;
    struct passwd entry
    {
    };
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return found->pw_dir;
    return "/";
}

// The variable's value when it is an absolute path, else home + fallback.
std::string XdgFolder(const char* variable, const char* fallback)
{
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/')
        return value;
    return HomeFolder() + fallback;
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/name" or "/path", with
// backslash escapes inside the quotes. Empty when the file or the line is missing or has another form.
std::string DocumentsFromUserDirs()
{
    std::ifstream file(XdgFolder("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    constexpr std::string_view key = "XDG_DOCUMENTS_DIR=\"";
    std::string line;
    while (std::getline(file, line))
    {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value;
        bool closed = false;
        for (size_t i = start + key.size(); i < line.size() && !closed; ++i)
        {
            if (line[i] == '"')
                closed = true;
            else if (line[i] == '\\' && i + 1 < line.size())
                value += line[++i];
            else
                value += line[i];
        }
        if (!closed)
            continue;
        constexpr std::string_view home = "$HOME";
        if (value.compare(0, home.size(), home) == 0 &&
            (value.size() == home.size() || value[home.size()] == '/'))
            return HomeFolder() + value.substr(home.size());
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return {};
}

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool MakeFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}
} // namespace

std::string UserFolderPath(UserFolder folder)
{
    std::string path;
    switch (folder)
    {
    case UserFolder::Data:
        path = XdgFolder("XDG_DATA_HOME", "/.local/share");
        break;
    case UserFolder::Config:
        path = XdgFolder("XDG_CONFIG_HOME", "/.config");
        break;
    case UserFolder::Documents:
        path = WithoutTrailingSeparators(DocumentsFromUserDirs());
        if (path.empty() || !MakeFolder(path))
            return WithoutTrailingSeparators(HomeFolder());
        return path;
    }
    path = WithoutTrailingSeparators(path);
    return MakeFolder(path) ? path : std::string();
}
} // namespace Platform
