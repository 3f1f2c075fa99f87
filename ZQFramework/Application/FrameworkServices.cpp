#include "ZQFramework/Application/FrameworkServices.h"

#include "Platform/Process/Process.h"

#include <string>

namespace ZQ
{
std::atomic<int32_t> ProcessExitValue{0};

WString MFCFrameworkApp::GetFolder(int32_t id)
{
    if (id == kResourceFolder)
        return u"::";
    if (id != kProgramFolder)
        return WString();
    const std::string path = Platform::ExecutablePath();
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos)
        return WString();
    return WString(path.substr(0, separator).c_str());
}
} // namespace ZQ
