#include "ZQFramework/Application/FrameworkServices.h"

#include <climits>
#include <string>
#include <unistd.h>

namespace ZQ
{
std::atomic<int32_t> ProcessExitValue{0};

namespace
{
// The program file's path, or an empty text when the system does not tell.
std::string ProgramPath()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<size_t>(length));
    return path;
}
} // namespace

WString MFCFrameworkApp::GetFolder(int32_t id)
{
    if (id == kResourceFolder)
        return u"::";
    if (id != kProgramFolder)
        return WString();
    const std::string path = ProgramPath();
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return WString();
    return WString(path.substr(0, separator).c_str());
}
} // namespace ZQ
