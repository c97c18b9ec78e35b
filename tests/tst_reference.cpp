// The conversions against references that share no code with them: std::to_chars in base 2,
// exact integer arithmetic, and the reader taking back what the writer wrote. Samples are drawn
// from a fixed seed, so a failure repeats.
#include "arithmetic.h"
#include "headlessform.h"
#include "modulo1.h"
#include "numberreading.h"
#include "numberwriting.h"

#include <QRegularExpression>
#include <QTest>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint32_t seed = 20240517;
constexpr std::int64_t plainLimit = 1'000'000'000'000'000; // 10^15

template<typename Integer> QString toChars(Integer value, int base)
{
    char buffer[72];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, base).ptr;
    return QString::fromLatin1(buffer, end - buffer);
}

// Every power of two in 0 .. 2147483647 with its neighbours, and the ends of the range.
QList<qint32> powersOfTwoAndNeighbours()
{
    QList<qint32> values { 0, 2147483647 };
    for (int k = 0; k <= 30; ++k) {
        const qint32 power = qint32(1) << k;
        values << power - 1 << power << power + 1;
    }
    return values;
}

QList<qint32> randomWholes(int count)
{
    std::mt19937 random(seed);
    QList<qint32> values;
    for (int i = 0; i < count; ++i)
        values << qint32(random() >> 1); // 31 random bits: 0 .. 2147483647
    return values;
}

// Strings of "0" and "1" whose length lies in [shortest, longest]; leading zeros included.
QStringList randomBits(int count, int shortest, int longest)
{
    std::mt19937 random(seed + shortest);
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        const int length = shortest + int(random() % unsigned(longest - shortest + 1));
        QString bits(length, u'0');
        for (QChar &c : bits)
            c = random() & 1 ? u'1' : u'0';
        texts << bits;
    }
    return texts;
}

std::uint64_t exactValue(const QString &bits)
{
    std::uint64_t value = 0;
    for (QChar c : bits)
        value = value * 2 + (c == u'1');
    return value;
}

// Whole values below 10^15 of every length, both signs.
QList<qint64> randomWholesBelowPlainLimit(int count)
{
    std::mt19937_64 random(seed);
    QList<qint64> values { 0, 1, plainLimit - 1, -(plainLimit - 1) };
    for (qint64 power = 10; power < plainLimit; power *= 10)
        values << power << power - 1 << -power;
    while (values.size() < count) {
        const qint64 scale = qint64(std::pow(10.0, double(random() % 15 + 1)));
        const qint64 value = qint64(random() % std::uint64_t(scale));
        values << (random() & 1 ? value : -value);
    }
    return values;
}

} // namespace

class TestReference : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void toBinaryMatchesToChars_data();
    void toBinaryMatchesToChars();
    void toDecimalIsExact_data();
    void toDecimalIsExact();
    void wholeNumbersReadBack_data();
    void wholeNumbersReadBack();

private:
    HeadlessForm *form = nullptr;
    Modulo1::FormInstance *registration = nullptr;
};

void TestReference::init()
{
    QLocale::setDefault(QLocale::c());
    form = new HeadlessForm;
    registration = new Modulo1::FormInstance(*form);
}

void TestReference::cleanup()
{
    delete registration;
    delete form;
    QLocale::setDefault(QLocale::c());
}

void TestReference::toBinaryMatchesToChars_data()
{
    QTest::addColumn<QList<qint32>>("values");
    QTest::newRow("powers of two and their neighbours: every digit count and carry")
        << powersOfTwoAndNeighbours();
    QTest::newRow("seeded random sample of 0 .. 2147483647") << randomWholes(100'000);
}

void TestReference::toBinaryMatchesToChars()
{
    QFETCH(QList<qint32>, values);
    form->binario = true;
    for (qint32 value : values) {
        form->text1 = QString::number(value);
        Modulo1::ConvertiInBase2();
        const QString expected = toChars(value, 2);
        if (form->text2 != expected)
            QCOMPARE(form->text2, expected); // reports the first difference only
    }
    QVERIFY(form->messages.shown.isEmpty());
}

void TestReference::toDecimalIsExact_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::newRow("1 to 31 digits: the whole-number range") << randomBits(10'000, 1, 31);
    QTest::newRow("32 to 49 digits: beyond 32 bits, still plain digits")
        << randomBits(10'000, 32, 49);
    QTest::newRow("50 to 53 digits: exponent form from 10^15, last exact sums")
        << randomBits(10'000, 50, 53);
}

void TestReference::toDecimalIsExact()
{
    QFETCH(QStringList, inputs);
    static const QRegularExpression exponentForm(u"^[1-9](\\.[0-9]{1,14})?E\\+15$"_s);
    form->binario = false;
    for (const QString &bits : inputs) {
        const std::uint64_t exact = exactValue(bits);
        QCOMPARE(Modulo1::binaryValue(bits), double(exact));

        form->text1 = bits;
        Modulo1::ConvertiInBase10();
        const QString written = form->text2;
        if (exact < std::uint64_t(plainLimit)) {
            const QString expected = toChars(exact, 10);
            if (written != expected)
                QCOMPARE(written, expected);
        } else {
            // Below 2^53 < 10^16: 16 digits, of which 15 are written, so the last place is tens.
            QVERIFY2(exponentForm.match(written).hasMatch(),
                     qPrintable(bits + u" -> "_s + written));
            const double read = rt::textToNumber(written);
            QVERIFY2(std::fabs(read - double(exact)) <= 5, qPrintable(bits + u" -> "_s + written));
        }
    }
    QVERIFY(form->messages.shown.isEmpty());
}

void TestReference::wholeNumbersReadBack_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("C locale") << QLocale::c();
    QTest::newRow("Italian: the point is a group separator there")
        << QLocale(QLocale::Italian, QLocale::Italy);
}

void TestReference::wholeNumbersReadBack()
{
    QFETCH(QLocale, locale);
    static const QRegularExpression plainDigits(u"^-?[0-9]+$"_s);
    for (qint64 value : randomWholesBelowPlainLimit(20'000)) {
        const QString written = rt::numberToText(double(value), locale);
        if (!plainDigits.match(written).hasMatch())
            QFAIL(qPrintable(u"not plain digits: "_s + written));
        const double read = rt::textToNumber(written, locale);
        if (read != double(value))
            QCOMPARE(read, double(value));
    }
}

QTEST_GUILESS_MAIN(TestReference)
#include "tst_reference.moc"
