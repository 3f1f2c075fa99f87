#pragma once

// ZQ_ASSERT(condition) states a precondition whose breach is the caller's bug, not a condition the
// program reports and survives. Debug builds (the sanitizer builds among them) check it: a breach prints
// the condition and the function it failed in to the standard error stream and aborts. Release builds
// (NDEBUG) compile it out; the condition is not evaluated, so it must have no effect the program needs.
namespace ZQ
{
[[noreturn]] void AssertionFailed(const char* condition, const char* file, int line,
                                  const char* function) noexcept;
} // namespace ZQ

#ifdef NDEBUG
#define ZQ_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#else
#define ZQ_ASSERT(condition)                                                                                 \
    ((condition) ? static_cast<void>(0) : ::ZQ::AssertionFailed(#condition, __FILE__, __LINE__, __func__))
#endif
