// VerificaCifre and ConvertiInBase10 on a headless form fed any text. The check accepts exactly
// the texts of "0" and "1", refusing the rest once and emptying both boxes; the conversion ends
// in the decimal value in Text2, the refusal, or run-time error 6 with both boxes as they were.
// Values of up to 53 significant digits are exact; longer ones are right to the 15 digits
// written, and overflow exactly when they pass the range of a double.
#include "arithmetic.h"
#include "fuzztext.h"
#include "headlessform.h"
#include "invariants.h"
#include "modulo1.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "runtimeerror.h"

#include <charconv>
#include <cmath>
#include <cstdint>

using fuzz::require;

namespace {

const QString earlierResult = QStringLiteral("risultato precedente");

bool onlyBinaryDigits(const QString &text)
{
    for (QChar c : text) {
        if (c != u'0' && c != u'1')
            return false;
    }
    return true;
}

// The digits from the first "1" on; empty for a text of zeros.
QStringView significant(const QString &bits)
{
    const qsizetype first = bits.indexOf(u'1');
    return first < 0 ? QStringView() : QStringView(bits).sliced(first);
}

// The value of up to 64 significant digits, on integers.
std::uint64_t exactValue(QStringView bits)
{
    std::uint64_t value = 0;
    for (QChar c : bits)
        value = value * 2 + (c == u'1');
    return value;
}

// Close to the value of any number of significant digits: the first 64 on integers, scaled.
double approximateValue(QStringView bits)
{
    const qsizetype head = std::min<qsizetype>(bits.size(), 64);
    return std::ldexp(double(exactValue(bits.first(head))), int(bits.size() - head));
}

QString decimalDigits(std::uint64_t value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QString::fromLatin1(buffer, end - buffer);
}

void checkVerificaCifre(const QString &input)
{
    HeadlessForm form;
    Modulo1::FormInstance registration(form);
    form.binario = false;
    form.text1 = input;
    form.text2 = earlierResult;
    const bool accepted = Modulo1::VerificaCifre();
    require(accepted == onlyBinaryDigits(input), "the check judges the digits wrongly", input);
    if (accepted) {
        require(form.messages.shown.isEmpty(), "an accepted input shows a message", input);
        require(form.text1 == input && form.text2 == earlierResult, "the check changed a box",
                input);
    } else {
        require(form.messages.shown == QStringList { Modulo1::notBinaryInputMessage() },
                "a refusal is not shown exactly once", input);
        require(form.text1.isEmpty() && form.text2.isEmpty(), "refusal left a box filled", input);
    }
}

void checkValue(const QString &input, const QString &written)
{
    const QStringView bits = significant(input);
    if (bits.size() <= 53) {
        const std::uint64_t exact = exactValue(bits);
        require(Modulo1::binaryValue(input) == double(exact), "value is not exact", input);
        const QString expected = exact < 1'000'000'000'000'000 ? decimalDigits(exact)
                                                               : rt::numberToText(double(exact));
        require(written == expected, "written value is not the exact value", input);
        return;
    }
    const double approximate = approximateValue(bits);
    const double read = rt::textToNumber(written);
    // 15 digits written, and one rounding per "1" added: far below this bound.
    require(std::fabs(read - approximate) <= 1e-12 * approximate, "value is off", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const fuzz::FuzzText input = fuzz::decodeFuzzText(data, size);
    QLocale::setDefault(fuzz::localeOf(input));
    checkVerificaCifre(input.text);

    HeadlessForm form;
    Modulo1::FormInstance registration(form);
    form.binario = false;
    form.text1 = input.text;
    form.text2 = earlierResult;
    const qsizetype length = significant(input.text).size();
    try {
        Modulo1::ConvertiInBase10();
    } catch (const rt::RuntimeError &e) {
        require(e.number() == 6, "run-time error other than 6", input.text);
        require(form.text1 == input.text && form.text2 == earlierResult,
                "a run-time error changed a box", input.text);
        require(form.messages.shown.isEmpty(), "a message came before a run-time error",
                input.text);
        require(length >= 1024, "overflow below 2^1023", input.text);
        return 0;
    }
    if (!form.messages.shown.isEmpty()) {
        require(!onlyBinaryDigits(input.text), "binary input refused", input.text);
        require(form.messages.shown == QStringList { Modulo1::notBinaryInputMessage() },
                "a refusal is not shown exactly once", input.text);
        require(form.text1.isEmpty() && form.text2.isEmpty(), "refusal left a box filled",
                input.text);
        return 0;
    }
    require(onlyBinaryDigits(input.text), "input with other characters accepted", input.text);
    require(length <= 1024, "no overflow for a value of more than 1024 binary digits", input.text);
    require(form.text1 == input.text, "the input box changed", input.text);
    checkValue(input.text, form.text2);
    return 0;
}
