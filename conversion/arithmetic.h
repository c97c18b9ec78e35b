// The arithmetic of the conversions as pure functions: no window, no message box, so they can
// be tested, fuzzed and measured on their own.
#pragma once

#include <QString>

namespace Modulo1 {

// True when the number rounds to a negative whole number, whatever its size.
bool roundsToNegative(double number);

// Binary digits of a whole number of 0 or more, most significant first; "0" for 0.
QString binaryDigits(qint32 whole);

// True when every character is "0" or "1". The empty text passes.
bool isBinaryText(QStringView text);

// The value of a text of "0" and "1", the rightmost digit having weight 1. Summed right to left
// in doubles, so exact up to 53 digits. Throws RuntimeError 6 when a "1" stands at the 1025th
// position from the right or further left, or when the sum overflows.
double binaryValue(QStringView bits);

} // namespace Modulo1
