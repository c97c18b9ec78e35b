// Reading a number from the text a user typed.
#pragma once

#include <QLocale>
#include <QString>

namespace rt {

// The number the text denotes. Blanks around it are ignored; then an optional sign, digits with
// an optional fraction and an optional exponent. The locale's form (its decimal and group
// separators, its grouping, its signs, and its own digits or "0" to "9", one or the other in a
// number) is tried first, then the plain form with "." and no group separators. Where the locale
// groups with a space, an ordinary or no-break space groups as well.
// Throws RuntimeError 13 for anything else (empty, "inf", "nan", hex, ...) and 6 for a finite
// text beyond the range of a double. A text too small for a double reads as zero.
double textToNumber(const QString &text, const QLocale &locale = QLocale());

} // namespace rt
