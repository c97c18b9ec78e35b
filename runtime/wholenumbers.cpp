// Rounding and overflow-checked arithmetic.
#include "wholenumbers.h"

#include "runtimeerror.h"

#include <cmath>
#include <limits>

namespace rt {

qint32 roundToWhole(double value)
{
    // Ties to even regardless of the current floating-point rounding mode.
    double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    if (!(rounded >= std::numeric_limits<qint32>::min()
          && rounded <= std::numeric_limits<qint32>::max()))
        raiseOverflow();
    return qint32(rounded);
}

double checkedAdd(double a, double b)
{
    const double sum = a + b;
    if (!std::isfinite(sum))
        raiseOverflow();
    return sum;
}

} // namespace rt
