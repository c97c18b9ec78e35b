// Reading a number from any text, in the C and the Italian locale. A text is either read as a
// finite number or refused with run-time error 13 (no number) or 6 (beyond a double); what the
// reader returns, the writer writes so that it reads back; and in the C locale the reader
// agrees with std::from_chars wherever both take the same text.
#include "fuzztext.h"
#include "invariants.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "runtimeerror.h"

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
    if (!input.italian)
        compareWithFromChars(input.text.trimmed(), reading);
    return 0;
}
