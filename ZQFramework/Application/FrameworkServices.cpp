#include "ZQFramework/Application/FrameworkServices.h"

#include "Platform/Process/Process.h"
#include "Platform/Process/UserFolders.h"
#include "ZQFramework/Application/Version.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <stdexcept>
#include <string>

namespace ZQ
{
std::atomic<int32_t> ProcessExitValue{0};

namespace
{
// base + "/" + company + "/" + product, each level made when missing; empty without a base.
WString ApplicationFolderBelow(const std::string& base)
{
    if (base.empty())
        return WString();
    const Version version(nullptr);
    WString folder = WString(base.c_str()) + u"/" + File::MakeValidFileName(version.GetCompanyName());
    (void)File::CreateFolder(folder);
    folder = folder + u"/" + File::MakeValidFileName(version.GetProductName());
    (void)File::CreateFolder(folder);
    return folder;
}
} // namespace

WString MFCFrameworkAppBase::GetFolder(int32_t id)
{
    switch (id)
    {
    case kProgramFolder:
        return File::GetFolderFromPath(WString(Platform::ExecutablePath().c_str()));
    case kResourceFolder:
        return u"::";
    case kApplicationDataFolder:
        return ApplicationFolderBelow(Platform::UserFolderPath(Platform::UserFolder::Data));
    case kLocalApplicationDataFolder:
        return ApplicationFolderBelow(Platform::UserFolderPath(Platform::UserFolder::Config));
    case kDocumentsFolder:
        return WString(Platform::UserFolderPath(Platform::UserFolder::Documents).c_str());
    default:
        throw Exception<std::out_of_range>(
            "Out of Range : Unknown Path ID. : ZQ::MFCFrameworkApp<class LApplication>::GetFolder : "
            "zqframework\\include\\../Application/ApplicationBaseWin : Line 582");
    }
}
} // namespace ZQ
