// A strict reader for decimal numbers. Qt's own locale reader accepts "inf" and "nan" and
// treats underflow as failure, so the syntax is checked here and only the digits are handed to
// std::from_chars, which rounds correctly.
#include "numberreading.h"

#include "runtimeerror.h"

#include <charconv>
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
    long exponent = 0;
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

long exponentValue(const std::string &digits)
{
    // Saturate: anything past this is out of range either way.
    long value = 0;
    for (char d : digits) {
        value = value * 10 + (d - '0');
        if (value > 1'000'000)
            return 1'000'000;
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
        parts.exponent = negativeExponent ? -exponentValue(digits) : exponentValue(digits);
    }
    if (!in.atEnd())
        return std::nullopt;
    return parts;
}

// The power of ten of the first significant digit; only its sign matters to the caller.
long leadingExponent(const Parts &parts)
{
    const auto firstInteger = parts.integerDigits.find_first_not_of('0');
    if (firstInteger != std::string::npos)
        return parts.exponent + long(parts.integerDigits.size() - firstInteger) - 1;
    const auto firstFraction = parts.fractionDigits.find_first_not_of('0');
    return parts.exponent - long(firstFraction) - 1;
}

double valueOf(const Parts &parts)
{
    std::string plain = parts.negative ? "-" : "";
    plain += parts.integerDigits.empty() ? "0" : parts.integerDigits;
    if (!parts.fractionDigits.empty())
        plain += '.' + parts.fractionDigits;
    plain += 'e' + std::to_string(parts.exponent);

    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (leadingExponent(parts) > 0)
            raiseOverflow();
        return parts.negative ? -0.0 : 0.0;
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
