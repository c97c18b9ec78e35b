// A strict reader for decimal numbers. Qt's own locale reader accepts "inf" and "nan" and
// treats underflow as failure, so the syntax is checked here and only the digits are handed to
// std::from_chars, which rounds correctly; where the C++ library has no std::from_chars for
// double (Emscripten's libc++), to strtod, which rounds correctly in glibc and musl alike.
#include "numberreading.h"

#include "runtimeerror.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace rt {
namespace {

// Sizes of the digit groups, from the right: the last group and the ones before it.
struct Grouping
{
    qsizetype last = 3;
    qsizetype higher = 3;
};

// A few ways of writing one thing; unused ones stay empty. (Not a list: reading a number should
// not allocate for these.)
using Forms = std::array<QString, 3>;

struct Separators
{
    QString decimalPoint;
    Forms groupSeparators; // all empty: no grouping allowed
    Grouping grouping;
    Forms minus;
    Forms plus;
    char32_t zero = U'0'; // the locale's digits, besides "0" to "9"
};

// A number taken apart into plain ASCII pieces.
struct Parts
{
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    std::int64_t exponent = 0; // saturated, see exponentValue
};

// Reads digits as ASCII: "0" to "9", or the locale's own ten digits, but not both in one number.
class Scanner
{
public:
    Scanner(QStringView text, char32_t localZero)
        : m_text(text)
        , m_localZero(localZero)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    // Compares UTF-16 code units itself. Qt 6.11's inline QStringView::startsWith (a fast path
    // for a one-character token known at compile time) made GCC 16 at -O2 miscompile this scan:
    // every number was refused.
    bool take(QStringView token)
    {
        const std::u16string_view rest(m_text.utf16() + m_pos, std::size_t(m_text.size() - m_pos));
        const std::u16string_view wanted(token.utf16(), std::size_t(token.size()));
        if (wanted.empty() || !rest.starts_with(wanted))
            return false;
        m_pos += token.size();
        return true;
    }
    bool takeOneOf(QStringView a, QStringView b) { return take(a) || take(b); }
    bool takeOneOf(const Forms &tokens)
    {
        for (const QString &token : tokens)
            if (take(token))
                return true;
        return false;
    }
    std::string digits()
    {
        std::string out;
        for (int value = digitValue(); value >= 0; value = digitValue())
            out.push_back(char('0' + value));
        return out;
    }
    qsizetype position() const { return m_pos; }
    void rewind(qsizetype pos) { m_pos = pos; }

private:
    // The value of the digit here, taken; -1 (nothing taken) for anything else, and for a digit
    // of the other script than the number's first digit.
    int digitValue()
    {
        if (atEnd())
            return -1;
        char32_t c = m_text[m_pos].unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && m_pos + 1 < m_text.size()
            && m_text[m_pos + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(m_text[m_pos], m_text[m_pos + 1]);
            length = 2;
        }
        for (const char32_t zero : { U'0', m_localZero }) {
            if (c >= zero && c <= zero + 9 && (m_zero == 0 || m_zero == zero)) {
                m_zero = zero;
                m_pos += length;
                return int(c - zero);
            }
        }
        return -1;
    }

    QStringView m_text;
    char32_t m_localZero;
    char32_t m_zero = 0; // the script of the digits read so far
    qsizetype m_pos = 0;
};

// Integer digits, grouped by a separator as the grouping says (the first group may be shorter),
// or not grouped at all.
std::optional<std::string> integerPart(Scanner &in, const Separators &sep)
{
    std::string all = in.digits();
    const Grouping sizes = sep.grouping;
    if (sep.groupSeparators[0].isEmpty() || all.empty()
        || qsizetype(all.size()) > std::max(sizes.last, sizes.higher))
        return all;
    std::string previous = all;
    bool grouped = false;
    for (;; grouped = true) {
        const qsizetype mark = in.position();
        if (!in.takeOneOf(sep.groupSeparators))
            break;
        std::string next = in.digits();
        if (next.empty()) {
            in.rewind(mark); // the separator was not followed by digits: not ours
            break;
        }
        // A group before another one: the first one may be shorter, the others are full.
        if (qsizetype(previous.size()) > sizes.higher
            || (grouped && qsizetype(previous.size()) != sizes.higher))
            return std::nullopt;
        all += next;
        previous = std::move(next);
    }
    if (grouped && qsizetype(previous.size()) != sizes.last)
        return std::nullopt;
    return all;
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
    Scanner in(text, sep.zero);
    Parts parts;
    if (in.takeOneOf(sep.minus))
        parts.negative = true;
    else
        in.takeOneOf(sep.plus);

    auto integer = integerPart(in, sep);
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

// The significant digits, cut as above, and the power of ten of the last one kept: the value is
// DIGITS × 10^exponent, a text of a few hundred characters whatever the length of the number read.
struct ShortForm
{
    std::string digits;
    std::int64_t exponent = 0;
    std::int64_t leading = 0; // the power of ten of the first digit
};

ShortForm shortForm(const Digits &digits, std::size_t first, std::int64_t leading)
{
    ShortForm form;
    const std::size_t kept = std::min(digits.size() - first, decidingDigits);
    for (std::size_t i = first; i < first + kept; ++i)
        form.digits.push_back(digits[i]);
    if (digits.firstNonZero(first + kept) < digits.size())
        form.digits.push_back('1');
    form.exponent = leading + 1 - std::int64_t(form.digits.size());
    form.leading = leading;
    return form;
}

// The double nearest to the short form, ties to even; infinite where it is beyond the range of a
// double, zero where it is below. The text has no decimal point, so no locale can change it.
#if defined(__cpp_lib_to_chars) && !defined(CONVERSIONE_READ_WITH_STRTOD)
double nearestDouble(const ShortForm &form)
{
    const std::string plain = form.digits + 'e' + std::to_string(form.exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc::result_out_of_range)
        return form.leading > 0 ? HUGE_VAL : 0.0;
    if (error != std::errc() || end != plain.data() + plain.size())
        raiseTypeMismatch();
    return value;
}
#else
double nearestDouble(const ShortForm &form)
{
    // strtod reports both ends of the range through errno, and also a result that lost
    // precision as a subnormal: the value it returns says which.
    const std::string plain = form.digits + 'e' + std::to_string(form.exponent);
    char *end = nullptr;
    const double value = std::strtod(plain.c_str(), &end);
    if (end != plain.data() + plain.size())
        raiseTypeMismatch();
    return value;
}
#endif

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

    const double value = nearestDouble(shortForm(digits, first, leading));
    if (std::isinf(value))
        raiseOverflow();
    return parts.negative ? -value : value;
}

// A sign as the locale writes it, as typed without its direction marks, and the ASCII one.
Forms signForms(const QString &sign, const QString &ascii)
{
    QString bare = sign;
    bare.remove(QChar(0x200E)).remove(QChar(0x200F)).remove(QChar(0x061C));
    return { sign, bare, ascii };
}

char32_t firstCodePoint(const QString &text)
{
    if (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text.isEmpty() ? U'0' : text[0].unicode();
}

// The group sizes Qt writes in this locale: "1,23,45,67,890" in Hindi has 3, then 2.
Grouping groupingOf(const QLocale &locale, const QString &separator)
{
    const QStringList groups = locale.toString(1234567890LL).split(separator);
    if (groups.size() < 3)
        return {};
    const auto digitCount = [](const QString &group) {
        return qsizetype(group.toUcs4().size());
    };
    return { digitCount(groups.back()), digitCount(groups[groups.size() - 2]) };
}

Separators localeSeparators(const QLocale &locale, const QString &text)
{
    const QString group = locale.groupSeparator();
    Separators sep { locale.decimalPoint(),
                     { group },
                     {},
                     signForms(locale.negativeSign(), QStringLiteral("-")),
                     signForms(locale.positiveSign(), QStringLiteral("+")),
                     firstCodePoint(locale.zeroDigit()) };
    // Where the locale groups with a space (U+202F in French), people type an ordinary or a
    // no-break space.
    const Forms spaces { QStringLiteral(" "), QStringLiteral("\u00A0"), QStringLiteral("\u202F") };
    if (group == sep.decimalPoint)
        sep.groupSeparators = {};
    else if (std::find(spaces.begin(), spaces.end(), group) != spaces.end())
        sep.groupSeparators = spaces;
    // Only a text that has a separator needs the sizes, which take a formatting to learn.
    if (std::any_of(sep.groupSeparators.begin(), sep.groupSeparators.end(),
                    [&](const QString &s) { return !s.isEmpty() && text.contains(s); }))
        sep.grouping = groupingOf(locale, group);
    return sep;
}

} // namespace

double textToNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    const Separators plain {
        QStringLiteral("."), {}, {}, { QStringLiteral("-") }, { QStringLiteral("+") }
    };
    Separators local = localeSeparators(locale, trimmed);
    auto parts = parse(trimmed, local);
    if (!parts && (local.grouping.last != 3 || local.grouping.higher != 3)) {
        local.grouping = {}; // thousands are still read where the locale groups otherwise
        parts = parse(trimmed, local);
    }
    if (!parts)
        parts = parse(trimmed, plain);
    if (!parts)
        raiseTypeMismatch();
    return valueOf(*parts);
}

} // namespace rt
