// Benchmark inputs from a fixed seed.
#include "benchinputs.h"

#include "inputlimit.h"

#include <cstdint>
#include <random>

namespace bench {
namespace {

std::mt19937 &random()
{
    static std::mt19937 generator(20240517);
    return generator;
}

std::string randomBits(int count)
{
    std::string bits;
    for (int i = 0; i < count; ++i)
        bits.push_back(random()() & 1 ? '1' : '0');
    return bits;
}

} // namespace

std::vector<qint32> wholes31Bit()
{
    std::vector<qint32> values;
    for (int i = 0; i < sampleSize; ++i)
        values.push_back(qint32(random()() >> 1));
    return values;
}

std::vector<std::string> bits53Ascii()
{
    std::vector<std::string> texts;
    for (int i = 0; i < sampleSize; ++i)
        texts.push_back('1' + randomBits(52));
    return texts;
}

QStringList bits53()
{
    QStringList texts;
    for (const std::string &bits : bits53Ascii())
        texts << QString::fromStdString(bits);
    return texts;
}

QString longBinaryText()
{
    const int random = 1023;
    return QString(Modulo1::longestInput - random, u'0')
        + QString::fromStdString(randomBits(random));
}

QString longDecimalText()
{
    const QString number = QString::number(wholes31Bit().front());
    return QString(Modulo1::longestInput - number.size(), u'0') + number;
}

QStringList decimalTexts(const std::vector<qint32> &wholes)
{
    QStringList texts;
    for (qint32 whole : wholes)
        texts << QString::number(whole);
    return texts;
}

std::vector<std::string> decimalTextsAscii(const std::vector<qint32> &wholes)
{
    std::vector<std::string> texts;
    for (qint32 whole : wholes)
        texts.push_back(std::to_string(whole));
    return texts;
}

std::vector<double> values53(const std::vector<std::string> &bits)
{
    std::vector<double> values;
    for (const std::string &text : bits)
        values.push_back(double(std::stoull(text, nullptr, 2)));
    return values;
}

} // namespace bench
