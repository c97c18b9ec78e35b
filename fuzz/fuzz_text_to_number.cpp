// Reading a number from any text, in the C and the Italian locale. A text is either read as a
// finite number or refused with run-time error 13 (no number) or 6 (beyond a double); what the
// reader returns, the writer writes so that it reads back; in the C locale the reader agrees
// with std::from_chars wherever both take the same text; and a number written with a million
// more zeros and an exponent that makes up for them reads the same.
#include "fuzztext.h"
#include "invariants.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "runtimeerror.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

using fuzz::require;

namespace {

// The ASCII form of a text made only of digits, points, signs and exponent letters: the texts
// on which std::from_chars is a fair judge (it knows no group separator and no "+").
std::optional<std::string> plainAscii(const QString &text)
{
    if (text.isEmpty() || text.size() > 4000)
        return std::nullopt;
    std::string ascii;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || u == u'.' || u == u'e' || u == u'E' || u == u'-'))
            return std::nullopt;
        ascii.push_back(char(u));
    }
    return ascii;
}

// The outcome of reading: a value, or the run-time error number.
struct Reading
{
    double value = 0;
    int error = 0;
};

Reading read(const QString &text, const QLocale &locale)
{
    try {
        return { rt::textToNumber(text, locale), 0 };
    } catch (const rt::RuntimeError &e) {
        return { 0, e.number() };
    }
}

void compareWithFromChars(const QString &text, const Reading &reading)
{
    const auto ascii = plainAscii(text);
    if (!ascii)
        return;
    double expected = 0;
    const char *end = ascii->data() + ascii->size();
    const auto [stop, error] = std::from_chars(ascii->data(), end, expected);
    if (stop != end)
        return;
    if (error == std::errc()) {
        require(reading.error == 0, "a number std::from_chars reads is refused", text);
        require(reading.value == expected, "value differs from std::from_chars", text);
    } else if (error == std::errc::result_out_of_range) {
        require(reading.error == 6 || (reading.error == 0 && reading.value == 0),
                "out of range is neither overflow nor underflow to zero", text);
    }
}

// What the writer makes of a value, the reader takes back to within the 15 digits written.
void checkWrittenReadsBack(double value, const QLocale &locale, const QString &input)
{
    const QString written = rt::numberToText(value, locale);
    const Reading again = read(written, locale);
    if (again.error == 6) {
        // Rounding the largest doubles to 15 digits can carry them past the range.
        require(std::fabs(value) > 1.79769313486231e308, "written number overflows on reading",
                input);
        return;
    }
    require(again.error == 0, "written number is not read back", input);
    require(std::fabs(again.value - value) <= 1e-14 * std::fabs(value),
            "written number reads back as another value", input);
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        require(again.value == value, "whole number below 10^15 does not read back exactly", input);
}

// Far beyond the input box: the reader has no bound of its own.
constexpr qsizetype stretch = 16 * fuzz::longestText;

// Reading a stretched text takes a second under the fuzzer's instrumentation, so only one input
// in 4096 is stretched: picked by a hash of its bytes, so that replaying it stretches it again,
// and so that its mutations mostly are not.
bool picked(const std::uint8_t *data, std::size_t size)
{
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return hash % 4096 == 0;
}

// A plain number (sign, digits, point, digits, exponent) taken apart.
struct Plain
{
    QString sign;
    QString integer;
    QString fraction;
    qint64 exponent = 0;
};

std::optional<Plain> plainNumber(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([+-]?[0-9]{1,15}))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;
    return Plain { m.captured(1), m.captured(2), m.captured(3), m.captured(4).toLongLong() };
}

bool sameReading(const Reading &a, const Reading &b)
{
    return a.error == b.error
        && (a.error != 0 || (a.value == b.value && std::signbit(a.value) == std::signbit(b.value)));
}

// The same value written twice with `stretch` more zeros: once as all its digits followed by
// the zeros, once as a point followed by the zeros and its digits, with the exponent adjusted.
void checkStretched(const QString &text, const Reading &reading)
{
    const auto plain = plainNumber(text);
    if (!plain)
        return;
    const QString digits = plain->integer + plain->fraction;
    const QString zeros(stretch, u'0');
    const qint64 shifted = plain->exponent - plain->fraction.size() - stretch;
    const QString before = plain->sign + digits + zeros + u'e' + QString::number(shifted);
    require(sameReading(read(before, QLocale::c()), reading),
            "digits followed by many zeros and a smaller exponent read differently", text);
    const qint64 raised = plain->exponent + plain->integer.size() + stretch;
    const QString after
        = plain->sign + QStringLiteral("0.") + zeros + digits + u'e' + QString::number(raised);
    require(sameReading(read(after, QLocale::c()), reading),
            "many zeros after the point and a larger exponent read differently", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::FuzzText input = fuzz::decodeFuzzText(data, size);
    const QLocale locale = fuzz::localeOf(input);
    const Reading reading = read(input.text, locale);

    require(reading.error == 0 || reading.error == 6 || reading.error == 13,
            "run-time error other than 6 or 13", input.text);
    if (reading.error == 0) {
        require(std::isfinite(reading.value), "reading gives a value that is not finite",
                input.text);
        checkWrittenReadsBack(reading.value, locale, input.text);
    }
    if (!input.italian) {
        compareWithFromChars(input.text.trimmed(), reading);
        if (picked(data, size))
            checkStretched(input.text.trimmed(), reading);
    }
    return 0;
}
