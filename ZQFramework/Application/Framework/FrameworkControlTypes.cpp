#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"

#include "ZQFramework/ControlBase/ControlFactory.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/ObjectBase/Result.h"

#include <string>

namespace ZQ
{
std::span<const FrameworkControlType> GetFrameworkControlTypes()
{
    // No control class of the framework's library is built yet.
    return {};
}

void RegisterFrameworkControlTypes(LControlFactory& factory, std::span<const FrameworkControlType> types)
{
    for (const FrameworkControlType& type : types)
    {
        const ZQRESULT result = factory.RegisterControlCreateFunction(WString(type.className), type.create);
        if (result < 0)
        {
            throw Exception<FailedResultException>(
                "Failed Result : " + ResultToString(result) +
                " : ZQ::LFrameworkApp::RunApplicationStartup : Application\\FrameworkApp : Line " +
                std::to_string(type.line));
        }
    }
}
} // namespace ZQ
