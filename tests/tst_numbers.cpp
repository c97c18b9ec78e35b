// Reading, rounding and writing numbers, in the C and the Italian locale, and in locales with
// other digits, grouping and spaces.
#include "numberreading.h"
#include "numberwriting.h"
#include "runtimeerror.h"
#include "wholenumbers.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
const QLocale c = QLocale::c();
const QLocale it(QLocale::Italian, QLocale::Italy);
const QLocale sv(QLocale::Swedish, QLocale::Sweden); // its minus sign is U+2212
const QLocale fr(QLocale::French, QLocale::France); // groups with U+202F
const QLocale ar(QLocale::Arabic, QLocale::Egypt); // Arabic-Indic digits
const QLocale fa(QLocale::Persian, QLocale::Iran); // Persian digits, minus U+2212
const QLocale hi(QLocale::Hindi, QLocale::India); // lakh grouping
const QLocale enIn(QLocale::English, QLocale::India); // lakh grouping, English otherwise
const QLocale ccp(QLocale::Chakma, QLocale::Bangladesh); // digits beyond 16 bits
const QLocale de(QLocale::German, QLocale::Germany);

// The run-time error number the call raised, or 0.
template<typename F> int errorOf(F &&call)
{
    try {
        call();
    } catch (const rt::RuntimeError &e) {
        return e.number();
    }
    return 0;
}
} // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void localeForms_data();
    void localeForms();
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
    void rounds_data();
    void rounds();
    void roundingOverflows_data();
    void roundingOverflows();
    void writes_data();
    void writes();
    void writingNonFiniteOverflows();
    void checkedArithmetic();
    void reportText();
};

// What the reader takes from Qt's locale data, which a new Qt (and its CLDR) may change: the
// digits, separators, signs and group sizes it expects, and Qt's own writing of numbers in that
// locale, which it must read back.
void TestNumbers::localeForms_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("zero");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("minus");
    QTest::addColumn<QString>("plus");
    QTest::addColumn<QString>("grouped"); // 1234567890

    QTest::newRow("C") << c << u"0"_s << u"."_s << u","_s << u"-"_s << u"+"_s << u"1234567890"_s;
    QTest::newRow("it") << it << u"0"_s << u","_s << u"."_s << u"-"_s << u"+"_s
                        << u"1.234.567.890"_s;
    QTest::newRow("de") << de << u"0"_s << u","_s << u"."_s << u"-"_s << u"+"_s
                        << u"1.234.567.890"_s;
    QTest::newRow("fr") << fr << u"0"_s << u","_s << u"\u202F"_s << u"-"_s << u"+"_s
                        << u"1\u202F234\u202F567\u202F890"_s;
    QTest::newRow("ar") << ar << u"\u0660"_s << u"\u066B"_s << u"\u066C"_s << u"\u061C-"_s
                        << u"\u061C+"_s << u"١٬٢٣٤٬٥٦٧٬٨٩٠"_s;
    QTest::newRow("hi") << hi << u"0"_s << u"."_s << u","_s << u"-"_s << u"+"_s
                        << u"1,23,45,67,890"_s;
    QTest::newRow("en_IN") << enIn << u"0"_s << u"."_s << u","_s << u"-"_s << u"+"_s
                           << u"1,23,45,67,890"_s;
}

void TestNumbers::localeForms()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, zero);
    QFETCH(QString, point);
    QFETCH(QString, group);
    QFETCH(QString, minus);
    QFETCH(QString, plus);
    QFETCH(QString, grouped);
    QCOMPARE(locale.zeroDigit(), zero);
    QCOMPARE(locale.decimalPoint(), point);
    QCOMPARE(locale.groupSeparator(), group);
    QCOMPARE(locale.negativeSign(), minus);
    QCOMPARE(locale.positiveSign(), plus);
    QCOMPARE(locale.toString(1234567890LL), grouped);
    for (const double value : { 1234567890.0, -1234567.5, 1234.5, -0.25 }) {
        const QString written = locale.toString(value, 'f', 2);
        double read = 0;
        QCOMPARE(errorOf([&] { read = rt::textToNumber(written, locale); }), 0);
        QVERIFY2(read == value, qPrintable(written));
    }
}

void TestNumbers::reads_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("whole") << c << u"10"_s << 10.0;
    QTest::newRow("blanks around") << c << u"  255 \t"_s << 255.0;
    QTest::newRow("plus sign") << c << u"+7"_s << 7.0;
    QTest::newRow("minus sign") << c << u"-7"_s << -7.0;
    QTest::newRow("fraction") << c << u"2.5"_s << 2.5;
    QTest::newRow("leading point") << c << u".5"_s << 0.5;
    QTest::newRow("trailing point") << c << u"5."_s << 5.0;
    QTest::newRow("exponent") << c << u"1e3"_s << 1000.0;
    QTest::newRow("exponent signed") << c << u"25E-1"_s << 2.5;
    QTest::newRow("exponent with plus") << c << u"1e+3"_s << 1000.0;
    QTest::newRow("largest whole") << c << u"2147483647"_s << 2147483647.0;
    QTest::newRow("many digits") << c << QString(400, u'0') + u"12"_s << 12.0;
    QTest::newRow("underflow reads as zero") << c << u"1e-400"_s << 0.0;
    QTest::newRow("huge negative exponent") << c << u"5e-99999999999999"_s << 0.0;
    QTest::newRow("largest double")
        << c << u"1.7976931348623157e308"_s << std::numeric_limits<double>::max();
    // Subnormals are values, not an underflow, though strtod flags them as out of range.
    QTest::newRow("smallest subnormal")
        << c << u"4.9406564584124654e-324"_s << std::numeric_limits<double>::denorm_min();
    QTest::newRow("smallest subnormal, negative")
        << c << u"-5e-324"_s << -std::numeric_limits<double>::denorm_min();
    QTest::newRow("below half the smallest subnormal") << c << u"2.4e-324"_s << 0.0;
    // However long the digits, an exponent that makes up for them gives their value.
    const QString million = QString(1'000'000, u'0');
    QTest::newRow("a million and one zeros, exponent brings them back")
        << c << u"1"_s + million + u"0e-1000001"_s << 1.0;
    QTest::newRow("a million zeros after the point, exponent brings them back")
        << c << u"0."_s + million + u"1e1000001"_s << 1.0;
    QTest::newRow("a million zeros, far below a double")
        << c << u"0."_s + million + u"1e999000"_s << 0.0;
    QTest::newRow("exponent with a thousand leading zeros")
        << c << u"1e"_s + QString(1000, u'0') + u"5"_s << 100000.0;
    // 2^53 + 1 lies half-way between two doubles: ties go to even, any later digit goes up.
    QTest::newRow("half-way, a thousand zeros after")
        << c << u"9007199254740993"_s + QString(1000, u'0') + u"e-1000"_s << 9007199254740992.0;
    QTest::newRow("half-way, a digit a thousand places on")
        << c << u"9007199254740993"_s + QString(1000, u'0') + u"1e-1001"_s << 9007199254740994.0;
    QTest::newRow("it: comma") << it << u"0,5"_s << 0.5;
    QTest::newRow("it: point falls back to plain") << it << u"1.5"_s << 1.5;
    QTest::newRow("it: plus sign") << it << u"+1,5"_s << 1.5;
    QTest::newRow("it: plus sign, point falls back to plain") << it << u"+1.5"_s << 1.5;
    QTest::newRow("it: plus sign, exponent with plus") << it << u"+2,5e+1"_s << 25.0;
    // A point before other than three digits is no group separator: the plain form reads it.
    QTest::newRow("it: two after point are a fraction") << it << u"1.23"_s << 1.23;
    QTest::newRow("it: four after point are a fraction") << it << u"1.2345"_s << 1.2345;
    QTest::newRow("it: grouped thousands") << it << u"1.234.567"_s << 1234567.0;
    QTest::newRow("it: first group of three") << it << u"123.456"_s << 123456.0;
    QTest::newRow("it: three full groups") << it << u"123.456.789"_s << 123456789.0;
    QTest::newRow("it: four digits are no group") << it << u"1234.567"_s << 1234.567;
    QTest::newRow("it: grouped with fraction") << it << u"1.234,5"_s << 1234.5;
    QTest::newRow("it: three after point is a group") << it << u"1.500"_s << 1500.0;
    QTest::newRow("it: exponent") << it << u"2,5e1"_s << 25.0;
    QTest::newRow("sv: plain minus too") << sv << u"-1,5"_s << -1.5;
    QTest::newRow("fr: as Qt groups, U+202F") << fr << u"1\u202F234"_s << 1234.0;
    QTest::newRow("fr: ordinary space") << fr << u"1 234,5"_s << 1234.5;
    QTest::newRow("fr: no-break space") << fr << u"1\u00A0234\u00A0567"_s << 1234567.0;
    QTest::newRow("ar: own digits") << ar << u"١٢"_s << 12.0;
    QTest::newRow("ar: own decimal separator") << ar << u"١٫٥"_s << 1.5;
    QTest::newRow("ar: own grouping") << ar << u"١٬٢٣٤"_s << 1234.0;
    QTest::newRow("ar: minus as written") << ar << u"\u061C-١٢"_s << -12.0;
    QTest::newRow("ar: plain minus") << ar << u"-١٢"_s << -12.0;
    QTest::newRow("ar: plus as written") << ar << u"\u061C+١٢"_s << 12.0;
    QTest::newRow("ar: plain plus") << ar << u"+١٢"_s << 12.0;
    QTest::newRow("ar: Latin digits") << ar << u"12"_s << 12.0;
    QTest::newRow("fa: own digits") << fa << u"۱۲"_s << 12.0;
    QTest::newRow("fa: minus without its mark") << fa << u"\u2212۱٫۵"_s << -1.5;
    QTest::newRow("fa: plus as written") << fa << u"\u200E+۱۲"_s << 12.0;
    QTest::newRow("fa: plain plus") << fa << u"+۱۲"_s << 12.0;
    QTest::newRow("hi: lakh grouping") << hi << u"12,34,567"_s << 1234567.0;
    QTest::newRow("hi: grouping with fraction") << hi << u"1,23,456.5"_s << 123456.5;
    QTest::newRow("hi: thousands still read") << hi << u"1,234,567"_s << 1234567.0;
    QTest::newRow("hi: plus sign, lakh grouping") << hi << u"+12,34,567"_s << 1234567.0;
    QTest::newRow("en_IN: lakh grouping") << enIn << u"12,34,567"_s << 1234567.0;
    QTest::newRow("en_IN: crore with fraction") << enIn << u"1,23,45,67,890.5"_s << 1234567890.5;
    QTest::newRow("en_IN: thousands still read") << enIn << u"1,234,567"_s << 1234567.0;
    QTest::newRow("ccp: surrogate pairs") << ccp << u"\U00011137\U00011138"_s << 12.0;
}

void TestNumbers::reads()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, value);
    // Exactly: QCOMPARE on doubles would let a rounding to the neighbouring double pass.
    double read = 0;
    QCOMPARE(errorOf([&] { read = rt::textToNumber(text, locale); }), 0);
    QVERIFY2(read == value, qPrintable(QString::number(read, 'g', 17)));
}

void TestNumbers::refuses_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");

    for (const auto &[name, text] : { std::pair { "empty", u""_s },
                                      { "blanks", u"   "_s },
                                      { "inf", u"inf"_s },
                                      { "infinity", u"-Infinity"_s },
                                      { "nan", u"nan"_s },
                                      { "hex", u"0x10"_s },
                                      { "word", u"dieci"_s },
                                      { "sign only", u"-"_s },
                                      { "point only", u"."_s },
                                      { "two signs", u"+-1"_s },
                                      { "plus only", u"+"_s },
                                      { "two plus signs", u"++1"_s },
                                      { "exponent sign only", u"1e+"_s },
                                      { "bare exponent", u"1e"_s },
                                      { "inner blank", u"1 0"_s },
                                      { "trailing letter", u"12a"_s },
                                      { "two points", u"1.2.3"_s },
                                      { "nul", u"1\u0000"_s } })
        QTest::newRow(name) << c << text << 13;
    QTest::newRow("comma in C") << c << u"0,5"_s << 13;
    QTest::newRow("it: bad grouping") << it << u"1.23,4"_s << 13;
    QTest::newRow("group separator at the end") << c << u"1,"_s << 13;
    QTest::newRow("it: group separator before the comma") << it << u"1.,5"_s << 13;
    QTest::newRow("it: group of four before the comma") << it << u"1.2345,5"_s << 13;
    QTest::newRow("it: short group inside") << it << u"1.23.456"_s << 13;
    QTest::newRow("it: long group inside") << it << u"1.2345.678"_s << 13;
    QTest::newRow("fr: group of four") << fr << u"1 2345"_s << 13;
    QTest::newRow("ar: mixed scripts") << ar << u"1١"_s << 13;
    QTest::newRow("ar: mixed scripts in the fraction") << ar << u"١٫5"_s << 13;
    // U+061C belongs to the locale's signs only.
    QTest::newRow("ar: letter mark with no sign") << ar << u"\u061C١٢"_s << 13;
    QTest::newRow("ar: letter mark after the sign") << ar << u"-\u061C١٢"_s << 13;
    QTest::newRow("ar: letter mark between digits") << ar << u"١\u061C٢"_s << 13;
    QTest::newRow("fa: Arabic-Indic digits") << fa << u"١٢"_s << 13;
    QTest::newRow("ar: inf") << ar << u"inf"_s << 13;
    QTest::newRow("fa: nan") << fa << u"nan"_s << 13;
    QTest::newRow("hi: hex") << hi << u"0x10"_s << 13;
    QTest::newRow("hi: bad lakh grouping") << hi << u"12,345,67"_s << 13;
    QTest::newRow("hi: three before lakhs") << hi << u"123,45,678"_s << 13;
    QTest::newRow("hi: thousands, then lakhs") << hi << u"1,234,56,789"_s << 13;
    QTest::newRow("en_IN: three before lakhs") << enIn << u"123,45,678"_s << 13;
    QTest::newRow("en_IN: last group of two") << enIn << u"12,34,56"_s << 13;
    QTest::newRow("en_IN: group of four") << enIn << u"12,3456"_s << 13;
    QTest::newRow("fr: space inside a group") << fr << u"1 23"_s << 13;
    QTest::newRow("beyond double") << c << u"1e400"_s << 6;
    QTest::newRow("beyond double, negative") << c << u"-1e400"_s << 6;
    QTest::newRow("huge exponent") << c << u"1e99999999999999999999"_s << 6;
    QTest::newRow("rounds up beyond the largest double") << c << u"1.7976931348623159e308"_s << 6;
    QTest::newRow("many digits") << c << u"1"_s + QString(400, u'0') << 6;
    QTest::newRow("a million zeros, exponent leaves a thousand")
        << c << u"1"_s + QString(1'000'000, u'0') + u"e-999000"_s << 6;
}

void TestNumbers::refuses()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, error);
    QCOMPARE(errorOf([&] { rt::textToNumber(text, locale); }), error);
}

void TestNumbers::rounds_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("whole");

    QTest::newRow("half to even 0") << 0.5 << 0;
    QTest::newRow("1.5 to 2") << 1.5 << 2;
    QTest::newRow("2.5 to 2") << 2.5 << 2;
    QTest::newRow("3.5 to 4") << 3.5 << 4;
    QTest::newRow("0.7 up") << 0.7 << 1;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("-2.6 to -3") << -2.6 << -3;
    QTest::newRow("largest") << 2147483647.0 << 2147483647;
    QTest::newRow("below largest tie") << 2147483647.4 << 2147483647;
    QTest::newRow("smallest") << -2147483648.0 << int(std::numeric_limits<qint32>::min());
    QTest::newRow("smallest tie to even")
        << -2147483648.5 << int(std::numeric_limits<qint32>::min());
}

void TestNumbers::rounds()
{
    QFETCH(double, value);
    QFETCH(int, whole);
    QCOMPARE(rt::roundToWhole(value), whole);
}

void TestNumbers::roundingOverflows_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("tie above largest") << 2147483647.5;
    QTest::newRow("2^31") << 2147483648.0;
    QTest::newRow("below smallest") << -2147483649.0;
    QTest::newRow("huge") << 1e300;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TestNumbers::roundingOverflows()
{
    QFETCH(double, value);
    QCOMPARE(errorOf([&] { rt::roundToWhole(value); }), 6);
}

void TestNumbers::writes_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << c << 0.0 << u"0"_s;
    QTest::newRow("negative zero") << c << -0.0 << u"0"_s;
    QTest::newRow("five") << c << 5.0 << u"5"_s;
    QTest::newRow("128") << c << 128.0 << u"128"_s;
    QTest::newRow("49 ones") << c << 562949953421311.0 << u"562949953421311"_s;
    QTest::newRow("below 10^15") << c << 999999999999999.0 << u"999999999999999"_s;
    QTest::newRow("10^15") << c << 1e15 << u"1E+15"_s;
    QTest::newRow("2^50") << c << std::ldexp(1.0, 50) << u"1.12589990684262E+15"_s;
    QTest::newRow("2^53") << c << std::ldexp(1.0, 53) << u"9.00719925474099E+15"_s;
    QTest::newRow("2^1023") << c << std::ldexp(1.0, 1023) << u"8.98846567431158E+307"_s;
    QTest::newRow("rounds up to a power of ten") << c << 9999999999999999.0 << u"1E+16"_s;
    QTest::newRow("negative whole") << c << -42.0 << u"-42"_s;
    QTest::newRow("fraction") << c << 0.5 << u"0.5"_s;
    QTest::newRow("small fraction") << c << 1e-7 << u"1E-7"_s;
    QTest::newRow("it: 2^50") << it << std::ldexp(1.0, 50) << u"1,12589990684262E+15"_s;
    QTest::newRow("it: fraction") << it << 2.5 << u"2,5"_s;
    QTest::newRow("it: whole has no group separator") << it << 1234567.0 << u"1234567"_s;
    QTest::newRow("fr: 2^50") << fr << std::ldexp(1.0, 50) << u"1,12589990684262E+15"_s;
    QTest::newRow("ar: 2^50 with a point")
        << ar << std::ldexp(1.0, 50) << u"1.12589990684262E+15"_s;
    QTest::newRow("fa: 2^53 with a point")
        << fa << std::ldexp(1.0, 53) << u"9.00719925474099E+15"_s;
    QTest::newRow("ar: whole in Latin digits") << ar << 1234567.0 << u"1234567"_s;
}

void TestNumbers::writes()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(rt::numberToText(value, locale), text);
}

void TestNumbers::writingNonFiniteOverflows()
{
    QCOMPARE(errorOf([] { rt::numberToText(std::numeric_limits<double>::infinity(), c); }), 6);
    QCOMPARE(errorOf([] { rt::numberToText(std::numeric_limits<double>::quiet_NaN(), c); }), 6);
}

void TestNumbers::checkedArithmetic()
{
    const double max = std::numeric_limits<double>::max();
    QCOMPARE(rt::checkedAdd(1, 2), 3.0);
    QCOMPARE(errorOf([&] { rt::checkedAdd(max, max); }), 6);
}

void TestNumbers::reportText()
{
    QCOMPARE(rt::RuntimeError(rt::RuntimeError::TypeMismatch).reportText(),
             u"Errore di run-time '13':\nTipo non corrispondente"_s);
    QCOMPARE(rt::RuntimeError(rt::RuntimeError::Overflow).reportText(),
             u"Errore di run-time '6':\nOverflow"_s);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
