// Decimal-to-binary digits and binary-to-decimal value.
#include "arithmetic.h"

#include "wholenumbers.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace Modulo1 {

bool roundsToNegative(double number)
{
    // -0.5 rounds (ties to even) to 0; anything below rounds to -1 or less.
    return number < -0.5;
}

QString binaryDigits(qint32 whole)
{
    if (whole <= 0)
        return QStringLiteral("0");
    // Remainders come least significant first: fill from the right, in one allocation.
    QString digits(std::bit_width(quint32(whole)), Qt::Uninitialized);
    QChar *first = digits.data() + digits.size();
    for (qint32 n = whole; n > 0; n /= 2)
        *--first = QChar(u'0' + n % 2);
    return digits;
}

bool isBinaryText(QStringView text)
{
    for (QChar c : text) {
        if (c != u'0' && c != u'1')
            return false;
    }
    return true;
}

double binaryValue(QStringView bits)
{
    // The rightmost 53 positions: every partial sum of distinct powers of two below 2^53 is
    // exact in a double, so an integer gives the same sum, without a branch or a floating-point
    // addition per digit.
    const qsizetype exactPositions = std::min<qsizetype>(bits.size(), 53);
    std::uint64_t low = 0;
    for (qsizetype k = 0; k < exactPositions; ++k)
        low |= std::uint64_t(bits[bits.size() - 1 - k] == u'1') << k;
    double sum = double(low);

    // Further left, each "1" adds its weight as a double, rounding as it goes. The weight is
    // exact up to 2^1023 and infinite from the 1025th position on, where adding it raises the
    // overflow.
    double weight = std::ldexp(1.0, 53);
    for (qsizetype i = bits.size() - exactPositions; i >= 1; --i, weight *= 2) {
        if (bits[i - 1] == u'1')
            sum = rt::checkedAdd(sum, weight);
    }
    return sum;
}

} // namespace Modulo1
