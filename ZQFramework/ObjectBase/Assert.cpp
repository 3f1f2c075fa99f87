#include "ZQFramework/ObjectBase/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace ZQ
{
void AssertionFailed(const char* condition, const char* file, int line, const char* function) noexcept
{
    std::fprintf(stderr, "%s:%d: %s: assertion failed: %s\n", file, line, function, condition);
    std::fflush(stderr);
    std::abort();
}
} // namespace ZQ
