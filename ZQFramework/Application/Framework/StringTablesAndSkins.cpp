#include "ZQFramework/Application/Framework/StringTablesAndSkins.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"

namespace ZQ
{
ZQRESULT LoadStringTablesAndSkins(const RCPtr<LControlFactory>& factory, const WString& folder, int32_t lcid)
{
    if (factory == nullptr)
        return E_INVALIDARG;
    const bool resources = folder == u"::";
    const WString base = resources ? folder : folder + u"/";
    factory->SetBaseFolder(base);
    const WString applicationStrings = resources ? WString(u"::APP_STRINGS") : base + u"StringTables.xml";
    const WString frameworkStrings =
        resources ? WString(u"::FRAMEWORK_STRINGS") : base + u"FrameworkStrings.xml";
    const WString skins = resources ? WString(u"::APP_SKINS") : base + u"Skins.xml";
    if (const ZQRESULT result = factory->LoadStringTables(applicationStrings, frameworkStrings, lcid);
        result < 0)
        return result;
    return factory->LoadSkins(skins);
}
} // namespace ZQ
