#pragma once

#include <string>

// The calls of zq-lazy-probe-user into the probe library, in a static library of their own as a program's
// calls into its lazy libraries are.
namespace ProbeCalls
{
// ZQProbeFormat of "%d %s %.2f %ld %c %.1f %d %d %d %.3f" over fixed values.
std::string Format();
// ZQProbeWeighted over 1..8 and 0.5, 1.5, ..., 9.5, each offset by base: 35954 + 5536 base.
double Weighted(int base);
} // namespace ProbeCalls
