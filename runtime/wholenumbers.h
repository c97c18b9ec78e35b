// Whole numbers: rounding a Number to a 32-bit whole number, and the checked arithmetic that
// raises the overflow error instead of producing an infinite value.
#pragma once

#include <QtGlobal>

namespace rt {

// Nearest whole number, ties to even (0.5 -> 0, 1.5 and 2.5 -> 2). Throws RuntimeError 6 when
// the result lies outside -2147483648 .. 2147483647.
qint32 roundToWhole(double value);

// a + b; throws RuntimeError 6 when the result is not finite.
double checkedAdd(double a, double b);

} // namespace rt
