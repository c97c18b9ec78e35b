// Writing a number as text for the user.
#pragma once

#include <QLocale>
#include <QString>

namespace rt {

// A whole value below 10^15 as its plain digits ("0", "5", "128"). From 10^15 up, the exponent
// form with at most 15 significant digits, trailing zeros dropped: "1.12589990684262E+15",
// "1E+15". Other values use at most 15 significant digits. The digits are Latin; the decimal
// separator is the locale's where the locale writes Latin digits, else ".". Throws RuntimeError 6
// for a value that is not finite.
QString numberToText(double value, const QLocale &locale = QLocale());

} // namespace rt
