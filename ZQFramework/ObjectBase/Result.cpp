#include "ZQFramework/ObjectBase/Result.h"

#include <cstdio>

namespace ZQ
{
std::string ResultToString(ZQRESULT result)
{
    char digits[65];
    std::snprintf(digits, sizeof(digits), "%X", static_cast<uint32_t>(result));
    return std::string("ZQRESULT = ") + digits;
}
} // namespace ZQ
