// A strict reader for decimal numbers. Qt's own locale reader accepts "inf" and "nan" and
// treats underflow as failure, so the syntax is checked here and only the digits are handed to
// std::from_chars, which rounds correctly.
#include "numberreading.h"

#include "runtimeerror.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

namespace rt {
namespace {

struct Separators
{
    QString decimalPoint;
    QString groupSeparator; // empty: no grouping allowed
    QString minus;
    QString plus;
};

// A number taken apart into plain ASCII pieces.
struct Parts
{
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    std::int64_t exponent = 0; // saturated, see exponentValue
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

class Scanner
{
public:
    explicit Scanner(QStringView text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    bool take(QStringView token)
    {
        if (token.isEmpty() || !m_text.sliced(m_pos).startsWith(token))
            return false;
        m_pos += token.size();
        return true;
    }
    bool takeOneOf(QStringView a, QStringView b) { return take(a) || take(b); }
    std::string digits()
    {
        std::string out;
        while (!atEnd() && isDigit(m_text[m_pos]))
            out.push_back(char(m_text[m_pos++].unicode()));
        return out;
    }
    qsizetype position() const { return m_pos; }
    void rewind(qsizetype pos) { m_pos = pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// Integer digits, grouped in threes by the separator or not grouped at all.
std::optional<std::string> integerPart(Scanner &in, const QString &group)
{
    std::string all = in.digits();
    if (group.isEmpty() || all.empty() || all.size() > 3)
        return all;
    for (;;) {
        const qsizetype mark = in.position();
        if (!in.take(group))
            return all;
        const std::string next = in.digits();
        if (next.size() != 3) {
            if (next.empty()) {
                in.rewind(mark); // the separator was not followed by digits: not ours
                return all;
            }
            return std::nullopt;
        }
        all += next;
    }
}

// The digits of a text can move the value by at most as many powers of ten as the text has
// characters; an exponent further out than that and the range of a double puts the value out
// of range (or to zero) whatever the digits are. Saturating there changes no result.
std::int64_t exponentLimit(QStringView text)
{
    return std::int64_t(text.size()) + 1000;
}

std::int64_t exponentValue(const std::string &digits, std::int64_t limit)
{
    std::int64_t value = 0;
    for (char d : digits) {
        if (value > (limit - (d - '0')) / 10)
            return limit;
        value = value * 10 + (d - '0');
    }
    return value;
}

std::optional<Parts> parse(QStringView text, const Separators &sep)
{
    Scanner in(text);
    Parts parts;
    if (in.takeOneOf(sep.minus, u"-"))
        parts.negative = true;
    else
        in.takeOneOf(sep.plus, u"+");

    auto integer = integerPart(in, sep.groupSeparator);
    if (!integer)
        return std::nullopt;
    parts.integerDigits = std::move(*integer);
    if (in.take(sep.decimalPoint))
        parts.fractionDigits = in.digits();
    if (parts.integerDigits.empty() && parts.fractionDigits.empty())
        return std::nullopt;

    if (in.takeOneOf(u"e", u"E")) {
        bool negativeExponent = false;
        if (in.take(u"-"))
            negativeExponent = true;
        else
            in.take(u"+");
        const std::string digits = in.digits();
        if (digits.empty())
            return std::nullopt;
        const std::int64_t value = exponentValue(digits, exponentLimit(text));
        parts.exponent = negativeExponent ? -value : value;
    }
    if (!in.atEnd())
        return std::nullopt;
    return parts;
}

// The digits of integer and fraction part as one sequence, without copying them.
class Digits
{
public:
    explicit Digits(const Parts &parts)
        : m_integer(parts.integerDigits)
        , m_fraction(parts.fractionDigits)
    {
    }
    std::size_t size() const { return m_integer.size() + m_fraction.size(); }
    char operator[](std::size_t i) const
    {
        return i < m_integer.size() ? m_integer[i] : m_fraction[i - m_integer.size()];
    }
    // The position of the first digit other than 0 at or after `from`; size() if none.
    std::size_t firstNonZero(std::size_t from) const
    {
        for (std::size_t i = from; i < size(); ++i) {
            if ((*this)[i] != '0')
                return i;
        }
        return size();
    }

private:
    const std::string &m_integer;
    const std::string &m_fraction;
};

// The power of ten of the first significant digit, which is at `first` in the digits.
std::int64_t leadingExponent(const Parts &parts, std::size_t first)
{
    return parts.exponent + std::int64_t(parts.integerDigits.size()) - std::int64_t(first) - 1;
}

// No halfway point between two doubles has more than 767 significant digits, so the rounding is
// decided within the first 800: further digits only count as being all zero or not, and are
// replaced by a single "1" when any of them is not zero.
constexpr std::size_t decidingDigits = 800;

// Value 0.DIGITS × 10^(leading + 1), with the significant digits cut as above: a text of a few
// hundred characters, whatever the length of the number read.
std::string shortForm(const Parts &parts, const Digits &digits, std::size_t first,
                      std::int64_t leading)
{
    std::string plain = parts.negative ? "-0." : "0.";
    const std::size_t kept = std::min(digits.size() - first, decidingDigits);
    for (std::size_t i = first; i < first + kept; ++i)
        plain.push_back(digits[i]);
    if (digits.firstNonZero(first + kept) < digits.size())
        plain.push_back('1');
    plain += 'e' + std::to_string(leading + 1);
    return plain;
}

double valueOf(const Parts &parts)
{
    const Digits digits(parts);
    const std::size_t first = digits.firstNonZero(0);
    const double zero = parts.negative ? -0.0 : 0.0;
    if (first == digits.size())
        return zero;
    // Far outside a double's decimal range (1e-324 .. 1.8e308) the digits do not matter.
    const std::int64_t leading = leadingExponent(parts, first);
    if (leading > 400)
        raiseOverflow();
    if (leading < -400)
        return zero;

    const std::string plain = shortForm(parts, digits, first, leading);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (leading > 0)
            raiseOverflow();
        return zero;
    }
    if (error != std::errc() || end != plain.data() + plain.size())
        raiseTypeMismatch();
    return value;
}

Separators localeSeparators(const QLocale &locale)
{
    Separators sep { locale.decimalPoint(), locale.groupSeparator(), locale.negativeSign(),
                     locale.positiveSign() };
    if (sep.groupSeparator == sep.decimalPoint)
        sep.groupSeparator.clear();
    return sep;
}

} // namespace

double textToNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    const Separators plain { QStringLiteral("."), {}, QStringLiteral("-"), QStringLiteral("+") };
    auto parts = parse(trimmed, localeSeparators(locale));
    if (!parts)
        parts = parse(trimmed, plain);
    if (!parts)
        raiseTypeMismatch();
    return valueOf(*parts);
}

} // namespace rt
