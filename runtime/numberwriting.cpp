// Number to text with at most 15 significant digits, the precision a reader can trust.
#include "numberwriting.h"

#include "runtimeerror.h"

#include <charconv>
#include <cmath>
#include <string>

namespace rt {
namespace {

constexpr double plainLimit = 1e15;
constexpr int significantDigits = 15;

// "1.2300e+05" -> mantissa "1.23", exponent "+5"
QString exponentForm(const std::string &scientific)
{
    const auto e = scientific.find('e');
    std::string mantissa = scientific.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    const char sign = scientific[e + 1];
    std::string digits = scientific.substr(e + 2);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return QString::fromStdString(mantissa + 'E' + sign + digits);
}

std::string formatted(double value, std::chars_format format, int precision)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

} // namespace

QString numberToText(double value, const QLocale &locale)
{
    if (!std::isfinite(value))
        raiseOverflow();
    if (value == 0)
        return QStringLiteral("0");

    const double magnitude = std::fabs(value);
    if (magnitude < plainLimit && value == std::trunc(value))
        return QString::number(qint64(value));

    QString text;
    if (magnitude >= plainLimit) {
        text = exponentForm(formatted(value, std::chars_format::scientific, significantDigits - 1));
    } else {
        const std::string general = formatted(value, std::chars_format::general, significantDigits);
        text = general.find('e') == std::string::npos ? QString::fromStdString(general)
                                                      : exponentForm(general);
    }
    // The digits stay Latin; the locale's decimal separator goes with them only where the locale
    // writes Latin digits itself (an Arabic separator between Latin digits belongs to no script).
    if (locale.zeroDigit() != u"0")
        return text;
    return text.replace(u'.', locale.decimalPoint());
}

} // namespace rt
