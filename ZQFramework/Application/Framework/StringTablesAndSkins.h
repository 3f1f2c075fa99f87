#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The start-up load of the factory's string tables and skins from a folder, in the language of lcid.
// The folder "::" (exactly) means the program's "ZQXML" resources "APP_STRINGS", "FRAMEWORK_STRINGS" and
// "APP_SKINS"; any other folder F the files F/StringTables.xml, F/FrameworkStrings.xml and F/Skins.xml.
// The factory keeps "::" or F + "/" as the base of the skins' image names. The string tables come first:
// a negative result of theirs is returned and the skins are not read; else the skin load's result.
ZQRESULT LoadStringTablesAndSkins(const RCPtr<LControlFactory>& factory, const WString& folder, int32_t lcid);
} // namespace ZQ
