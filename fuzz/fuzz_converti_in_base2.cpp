// ConvertiInBase2 on a headless form fed any text. Every run ends in one of three ways: binary
// digits in Text2, the refusal of a negative number, or run-time error 6 or 13 with both boxes
// as they were. The digits are those of the input rounded to a whole number, and for a whole
// input in 0 .. 2147483647 converting them back gives the input again.
#include "fuzztext.h"
#include "headlessform.h"
#include "invariants.h"
#include "modulo1.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "runtimeerror.h"

#include <cmath>
#include <cstdint>

using fuzz::require;

namespace {

const QString earlierResult = QStringLiteral("risultato precedente");

// The value of a text of "0" and "1" at most 31 digits long, computed on integers.
std::int64_t exactValue(const QString &digits)
{
    std::int64_t value = 0;
    for (QChar c : digits)
        value = value * 2 + (c == u'1');
    return value;
}

void checkDigits(const QString &input, const QString &digits)
{
    require(!digits.isEmpty() && digits.size() <= 31, "result is empty or too long", input);
    for (QChar c : digits)
        require(c == u'0' || c == u'1', "result holds a character other than 0 and 1", input);
    require(digits == QStringLiteral("0") || digits.front() == u'1',
            "result starts with 0 but is not \"0\"", input);

    // The text was read once by the procedure; reading it again here is the reference.
    const double n = rt::textToNumber(input);
    const double value = double(exactValue(digits));
    require(std::fabs(value - n) <= 0.5, "result is not the input rounded", input);
    if (std::fabs(value - n) == 0.5)
        require(std::fmod(value, 2) == 0, "a tie is not rounded to even", input);
}

// Whole inputs in range come back unchanged through the other direction.
void checkRoundTrip(const QString &input, const QString &digits)
{
    const double n = rt::textToNumber(input);
    if (n != std::trunc(n) || n < 0 || n > 2147483647)
        return;
    HeadlessForm back;
    Modulo1::FormInstance registration(back);
    back.binario = false;
    back.text1 = digits;
    Modulo1::ConvertiInBase10();
    require(back.messages.shown.isEmpty(), "binary result is refused when converted back", input);
    require(back.text2 == rt::numberToText(n), "binary result converts back to another number",
            input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::FuzzText input = fuzz::decodeFuzzText(data, size);
    QLocale::setDefault(fuzz::localeOf(input));

    HeadlessForm form;
    Modulo1::FormInstance registration(form);
    form.binario = true;
    form.text1 = input.text;
    form.text2 = earlierResult;
    try {
        Modulo1::ConvertiInBase2();
    } catch (const rt::RuntimeError &e) {
        require(e.number() == 6 || e.number() == 13, "run-time error other than 6 or 13",
                input.text);
        require(form.text1 == input.text && form.text2 == earlierResult,
                "a run-time error changed a box", input.text);
        require(form.messages.shown.isEmpty(), "a message came before a run-time error",
                input.text);
        return 0;
    }

    if (!form.messages.shown.isEmpty()) {
        require(form.messages.shown == QStringList { Modulo1::negativeInputMessage() },
                "a refusal other than the negative number's, or more than one", input.text);
        require(form.text1.isEmpty() && form.text2.isEmpty(), "refusal left a box filled",
                input.text);
        require(rt::textToNumber(input.text) < -0.5, "refused a number that is not negative",
                input.text);
        return 0;
    }

    require(form.text1 == input.text, "the input box changed", input.text);
    checkDigits(input.text, form.text2);
    checkRoundTrip(input.text, form.text2);
    return 0;
}
