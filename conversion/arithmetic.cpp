// Decimal-to-binary digits and binary-to-decimal value.
#include "arithmetic.h"

#include "textops.h"
#include "wholenumbers.h"

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
    // Remainders come least significant first; fill from the right.
    QString digits(32, u'0');
    qsizetype first = digits.size();
    for (qint32 n = whole; n > 0; n /= 2)
        digits[--first] = rt::digitText(n % 2).front();
    return digits.sliced(first);
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
    double sum = 0;
    double exponent = 0;
    for (qsizetype i = bits.size(); i >= 1; --i, ++exponent) {
        if (rt::leadingNumberValue(bits.sliced(i - 1, 1)) == 1)
            sum = rt::checkedAdd(sum, rt::powerOfTwo(exponent));
    }
    return sum;
}

} // namespace Modulo1
