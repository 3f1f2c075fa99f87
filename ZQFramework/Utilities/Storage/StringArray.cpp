#include "ZQFramework/Utilities/Storage/StringArray.h"

namespace ZQ
{

WStringArray& GetNIDNameTable()
{
    static WStringArray* const table = new WStringArray();
    return *table;
}

} // namespace ZQ
