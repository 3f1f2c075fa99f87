#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace TestSupport
{
// The shared objects (by file name as the program asked for them) that the dynamic loader loaded into the
// processes run with LD_DEBUG=files and LD_DEBUG_OUTPUT=prefix, from the logs it wrote (prefix.PID). The
// loader itself is not among them.
inline std::set<std::string> LoadedObjects(const std::string& prefix)
{
    std::set<std::string> names;
    const std::filesystem::path folder = std::filesystem::path(prefix).parent_path();
    const std::string stem = std::filesystem::path(prefix).filename().string() + ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().filename().string().rfind(stem, 0) != 0)
            continue;
        std::ifstream log(entry.path());
        for (std::string line; std::getline(log, line);)
        {
            const size_t start = line.find("file=");
            if (start != std::string::npos)
                names.insert(line.substr(start + 5, line.find_first_of(" \t", start) - start - 5));
        }
    }
    return names;
}
} // namespace TestSupport
