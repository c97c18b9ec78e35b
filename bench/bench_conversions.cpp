// The conversions against std::to_chars / std::from_chars, the fastest the standard library
// offers, in one run. Each benchmark cycles through the same sample of inputs; the closing
// summary gives each ratio and whether the goal is met. Exit status 1 when a goal is missed.
#include "arithmetic.h"
#include "benchinputs.h"
#include "headlessform.h"
#include "modulo1.h"
#include "numberreading.h"
#include "numberwriting.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <iostream>

namespace {

using benchmark::DoNotOptimize;
using benchmark::State;

const std::vector<qint32> wholes = bench::wholes31Bit();
const QStringList decimals = bench::decimalTexts(wholes);
const std::vector<std::string> decimalsAscii = bench::decimalTextsAscii(wholes);
const QStringList bits = bench::bits53();
const std::vector<std::string> bitsAscii = bench::bits53Ascii();
const std::vector<double> values = bench::values53(bitsAscii);

// Cycles through the sample: the index of the next input.
struct Cycle
{
    std::size_t next() { return i = (i + 1) % bench::sampleSize; }
    std::size_t i = 0;
};

// --- Decimal to binary, 31-bit numbers ---

void binaryDigits31(State &state)
{
    Cycle c;
    for (auto _ : state)
        DoNotOptimize(Modulo1::binaryDigits(wholes[c.next()]));
}

void toCharsBase2(State &state)
{
    Cycle c;
    char buffer[32];
    for (auto _ : state) {
        DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, wholes[c.next()], 2).ptr);
        benchmark::ClobberMemory();
    }
}

// The same result type as binaryDigits: a QString.
void toCharsBase2Text(State &state)
{
    Cycle c;
    char buffer[32];
    for (auto _ : state) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, wholes[c.next()], 2).ptr;
        DoNotOptimize(QString::fromLatin1(buffer, end - buffer));
    }
}

// --- Binary to decimal, 53 digits ---

void binaryValue53(State &state)
{
    Cycle c;
    for (auto _ : state)
        DoNotOptimize(Modulo1::binaryValue(bits[c.next()]));
}

void fromCharsBase2(State &state)
{
    Cycle c;
    for (auto _ : state) {
        const std::string &text = bitsAscii[c.next()];
        std::uint64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value, 2);
        DoNotOptimize(double(value));
    }
}

// --- The reading and writing around them ---

void textToNumber31(State &state)
{
    Cycle c;
    for (auto _ : state)
        DoNotOptimize(rt::textToNumber(decimals[c.next()]));
}

void fromCharsDecimal(State &state)
{
    Cycle c;
    for (auto _ : state) {
        const std::string &text = decimalsAscii[c.next()];
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        DoNotOptimize(value);
    }
}

void numberToText53(State &state)
{
    Cycle c;
    for (auto _ : state)
        DoNotOptimize(rt::numberToText(values[c.next()]));
}

void toCharsDecimal15(State &state)
{
    Cycle c;
    char buffer[32];
    for (auto _ : state) {
        DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, values[c.next()],
                                    std::chars_format::scientific, 14)
                          .ptr);
        benchmark::ClobberMemory();
    }
}

// --- The procedures on a headless form, from Text1 to Text2 ---

void converti(State &state, const QStringList &inputs, bool binario)
{
    HeadlessForm form;
    Modulo1::FormInstance registration(form);
    form.binario = binario;
    Cycle c;
    for (auto _ : state) {
        form.text1 = inputs[c.next()];
        binario ? Modulo1::ConvertiInBase2() : Modulo1::ConvertiInBase10();
        DoNotOptimize(form.text2);
    }
}

void convertiInBase2(State &state)
{
    converti(state, decimals, true);
}

void convertiInBase10(State &state)
{
    converti(state, bits, false);
}

void charsDecimalToBinary(State &state)
{
    Cycle c;
    char buffer[32];
    for (auto _ : state) {
        const std::string &text = decimalsAscii[c.next()];
        qint32 value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, value, 2).ptr);
        benchmark::ClobberMemory();
    }
}

void charsBinaryToDecimal(State &state)
{
    Cycle c;
    char buffer[32];
    for (auto _ : state) {
        const std::string &text = bitsAscii[c.next()];
        std::uint64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value, 2);
        DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
        benchmark::ClobberMemory();
    }
}

// --- The longest input the input box holds ---

void longInput(State &state, const QString &text, bool binario)
{
    converti(state, QStringList(bench::sampleSize, text), binario);
}

// --- Reading far beyond the input box: time grows with the length, no more ---

// "1", zeros, "e-" and their number: the value 1 in `zeros` + 1 digits.
void longReading(State &state, qsizetype zeros)
{
    const QString text
        = u'1' + QString(zeros, u'0') + QStringLiteral("e-") + QString::number(zeros);
    for (auto _ : state)
        DoNotOptimize(rt::textToNumber(text));
}

void registerAll()
{
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("binaryDigits, 31-bit", binaryDigits31);
    RegisterBenchmark("to_chars base 2, 31-bit", toCharsBase2);
    RegisterBenchmark("to_chars base 2 into a QString, 31-bit", toCharsBase2Text);
    RegisterBenchmark("binaryValue, 53 digits", binaryValue53);
    RegisterBenchmark("from_chars base 2, 53 digits", fromCharsBase2);
    RegisterBenchmark("textToNumber, 31-bit decimal", textToNumber31);
    RegisterBenchmark("from_chars double, 31-bit decimal", fromCharsDecimal);
    RegisterBenchmark("numberToText, 53-bit value", numberToText53);
    RegisterBenchmark("to_chars double 15 digits, 53-bit value", toCharsDecimal15);
    RegisterBenchmark("ConvertiInBase2, 31-bit", convertiInBase2);
    RegisterBenchmark("from_chars + to_chars base 2, 31-bit", charsDecimalToBinary);
    RegisterBenchmark("ConvertiInBase10, 53 digits", convertiInBase10);
    RegisterBenchmark("from_chars base 2 + to_chars, 53 digits", charsBinaryToDecimal);
    RegisterBenchmark("ConvertiInBase10, the longest input", longInput, bench::longBinaryText(),
                      false);
    RegisterBenchmark("ConvertiInBase2, the longest input", longInput, bench::longDecimalText(),
                      true);
    RegisterBenchmark("textToNumber, 1 and a million zeros", longReading, 1'000'000);
    RegisterBenchmark("textToNumber, 1 and ten million zeros", longReading, 10'000'000);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    registerAll();
    bench::RatioReporter reporter(
        {
            { "binaryDigits, 31-bit", "to_chars base 2 into a QString, 31-bit", 2 },
            { "binaryDigits, 31-bit", "to_chars base 2, 31-bit", 0 },
            { "binaryValue, 53 digits", "from_chars base 2, 53 digits", 2 },
            { "textToNumber, 31-bit decimal", "from_chars double, 31-bit decimal", 0 },
            { "numberToText, 53-bit value", "to_chars double 15 digits, 53-bit value", 0 },
            { "ConvertiInBase2, 31-bit", "from_chars + to_chars base 2, 31-bit", 0 },
            { "ConvertiInBase10, 53 digits", "from_chars base 2 + to_chars, 53 digits", 0 },
            { "textToNumber, 1 and ten million zeros", "textToNumber, 1 and a million zeros", 0 },
        },
        {
            { "ConvertiInBase10, the longest input", 1e-3 },
            { "ConvertiInBase2, the longest input", 1e-3 },
        });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bool met = reporter.printSummary(std::cout);
    benchmark::Shutdown();
    return met ? 0 : 1;
}
