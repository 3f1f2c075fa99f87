#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace TestSupport
{
// Private folders for a simulated device and a program's settings, for this process and the processes it
// starts: each variable names a folder of its own below root, and gets its old value back at the end.
class PrivateFolders
{
public:
    static constexpr const char* kVariables[] = {"ZQ_MIDI_DIR",     "ZQ_DRIVER_DIR", "ZQ_REGISTRY_ROOT",
                                                 "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                                                 "XDG_RUNTIME_DIR"};

    explicit PrivateFolders(const std::string& name)
        : root((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string())
    {
        for (const char* variable : kVariables)
        {
            const char* saved = std::getenv(variable);
            mSaved.emplace_back(saved != nullptr ? std::optional<std::string>(saved) : std::nullopt);
            const std::string folder = root + "/" + variable;
            std::filesystem::create_directories(folder);
            ::setenv(variable, folder.c_str(), 1);
        }
    }
    ~PrivateFolders()
    {
        for (size_t i = 0; i < std::size(kVariables); ++i)
        {
            if (mSaved[i].has_value())
                ::setenv(kVariables[i], mSaved[i]->c_str(), 1);
            else
                ::unsetenv(kVariables[i]);
        }
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;

    const std::string root;

private:
    std::vector<std::optional<std::string>> mSaved;
};
} // namespace TestSupport
