// The inputs the benchmarks convert, drawn from a fixed seed so every run measures the same work.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace bench {

// How many different inputs a benchmark cycles through: enough to defeat the branch predictor's
// memory of one input, few enough to stay in the cache.
inline constexpr int sampleSize = 1024;

// Whole numbers in 0 .. 2147483647: 31 binary digits at most, most of them 30 or 31.
std::vector<qint32> wholes31Bit();

// Texts of exactly 53 binary digits, the first a "1": the longest sums that are still exact.
QStringList bits53();
std::vector<std::string> bits53Ascii();

// The longest text a line edit holds, made of binary digits: zeros, then 1023 random digits, so
// that the value stays within a double and every character is read.
QString longBinaryText();
// The longest decimal text: leading zeros, then a 31-bit number.
QString longDecimalText();

// Texts as a user types them.
QStringList decimalTexts(const std::vector<qint32> &wholes);
std::vector<std::string> decimalTextsAscii(const std::vector<qint32> &wholes);

// The values of the 53-digit texts.
std::vector<double> values53(const std::vector<std::string> &bits);

} // namespace bench
