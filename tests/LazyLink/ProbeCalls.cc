#include "ProbeCalls.h"

#include <cstddef>

extern "C"
{
    int ZQProbeFormat(char* out, size_t size, const char* format, ...);
    double ZQProbeWeighted(int i1, int i2, int i3, int i4, int i5, int i6, int i7, int i8, double d1,
                           double d2, double d3, double d4, double d5, double d6, double d7, double d8,
                           double d9, double d10);
}

namespace ProbeCalls
{
std::string Format()
{
    char text[128] = {};
    (void)ZQProbeFormat(text, sizeof text, "%d %s %.2f %ld %c %.1f %d %d %d %.3f", 1, "two", 3.0, 4L, '5',
                        6.5, 7, 8, 9, 10.125);
    return text;
}

double Weighted(int base)
{
    const double b = base;
    return ZQProbeWeighted(base + 1, base + 2, base + 3, base + 4, base + 5, base + 6, base + 7, base + 8,
                           b + 0.5, b + 1.5, b + 2.5, b + 3.5, b + 4.5, b + 5.5, b + 6.5, b + 7.5, b + 8.5,
                           b + 9.5);
}
} // namespace ProbeCalls
