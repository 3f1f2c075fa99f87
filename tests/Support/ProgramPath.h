#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>

namespace TestSupport
{
// The program name built in the folder of the running test or benchmark program, or empty when there is
// none.
[[nodiscard]] inline std::string ProgramBesideThisOne(const std::string& name)
{
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return {};
    const std::filesystem::path program = std::filesystem::path(self).parent_path() / name;
    return std::filesystem::exists(program) ? program.string() : std::string();
}
} // namespace TestSupport
