#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// A temporary folder named as the system's font folder (ZQ_FONTS_DIR) for the life of the fixture, with
// helpers that copy installed Liberation fonts into it, whole or altered.
class FontTestFolder
{
public:
    static constexpr const char* kInstalled = "/usr/share/fonts/truetype/liberation2/";

    FontTestFolder()
    {
        mPath = std::filesystem::temp_directory_path() / ("zq-fonts-" + std::to_string(::getpid()));
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
        ::setenv("ZQ_FONTS_DIR", mPath.c_str(), 1);
    }
    ~FontTestFolder()
    {
        ::unsetenv("ZQ_FONTS_DIR");
        std::filesystem::remove_all(mPath);
    }
    FontTestFolder(const FontTestFolder&) = delete;
    FontTestFolder& operator=(const FontTestFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return mPath; }

    // Copies an installed font under the given name (which may name a subfolder); returns its path.
    std::string Copy(const std::string& installed, const std::string& name) const
    {
        return Write(name, Installed(installed));
    }

    static std::vector<char> Installed(const std::string& name)
    {
        std::ifstream in(kInstalled + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string Write(const std::string& name, const std::vector<char>& bytes) const
    {
        const std::filesystem::path path = mPath / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

private:
    std::filesystem::path mPath;
};
