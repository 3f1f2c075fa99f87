#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace TestSupport
{
// Private folders for the simulated device and the program's settings, given to this process's
// environment (and so to the children it starts) for one test, and the earlier values put back after.
struct PrivateFolders
{
    PrivateFolders()
    {
        for (const char* name : kVariables)
        {
            const char* saved = std::getenv(name);
            savedValues.emplace_back(saved != nullptr ? std::optional<std::string>(saved) : std::nullopt);
            const std::string folder = root + "/" + name;
            std::filesystem::create_directories(folder);
            ::setenv(name, folder.c_str(), 1);
        }
    }
    ~PrivateFolders()
    {
        for (size_t i = 0; i < std::size(kVariables); ++i)
        {
            if (savedValues[i].has_value())
                ::setenv(kVariables[i], savedValues[i]->c_str(), 1);
            else
                ::unsetenv(kVariables[i]);
        }
        std::filesystem::remove_all(root);
    }
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;

    static constexpr const char* kVariables[] = {"ZQ_MIDI_DIR",     "ZQ_DRIVER_DIR", "ZQ_REGISTRY_ROOT",
                                                 "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                                                 "XDG_RUNTIME_DIR"};
    std::string root =
        (std::filesystem::temp_directory_path() / ("zq-updater-" + std::to_string(getpid()))).string();
    std::vector<std::optional<std::string>> savedValues;
};
} // namespace TestSupport
