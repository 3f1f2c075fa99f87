// A small shared library that zq-lazy-probe-user reaches only through first-call stubs: functions whose
// arguments use every way the x86-64 calling convention passes them (integer and vector registers, the
// stack, a variadic call's vector-register count).
#include <cstdarg>
#include <cstddef>
#include <cstdio>

extern "C"
{
    // vsnprintf of format into out: a variadic call with integers, doubles and strings.
    __attribute__((visibility("default"))) int ZQProbeFormat(char* out, size_t size, const char* format, ...)
    {
        va_list arguments;
        va_start(arguments, format);
        const int length = std::vsnprintf(out, size, format, arguments);
        va_end(arguments);
        return length;
    }

    // Eight integers and ten doubles, each weighted by its position: more than the registers hold.
    __attribute__((visibility("default"))) double
    ZQProbeWeighted(int i1, int i2, int i3, int i4, int i5, int i6, int i7, int i8, double d1, double d2,
                    double d3, double d4, double d5, double d6, double d7, double d8, double d9, double d10)
    {
        const int integers[] = {i1, i2, i3, i4, i5, i6, i7, i8};
        const double doubles[] = {d1, d2, d3, d4, d5, d6, d7, d8, d9, d10};
        double sum = 0;
        for (int i = 0; i < 8; ++i)
            sum += (i + 1) * integers[i];
        for (int i = 0; i < 10; ++i)
            sum += (i + 1) * 100.0 * doubles[i];
        return sum;
    }
}
