// The pure arithmetic of the conversions.
#include "arithmetic.h"
#include "runtimeerror.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

class TestArithmetic : public QObject
{
    Q_OBJECT

private slots:
    void binaryDigits_data();
    void binaryDigits();
    void isBinaryText_data();
    void isBinaryText();
    void binaryValue_data();
    void binaryValue();
    void binaryValueOverflows_data();
    void binaryValueOverflows();
    void negativeBoundary();
};

void TestArithmetic::binaryDigits_data()
{
    QTest::addColumn<int>("whole");
    QTest::addColumn<QString>("digits");
    QTest::newRow("zero") << 0 << u"0"_s;
    QTest::newRow("one") << 1 << u"1"_s;
    QTest::newRow("ten") << 10 << u"1010"_s;
    QTest::newRow("255") << 255 << u"11111111"_s;
    QTest::newRow("2^30") << (1 << 30) << u"1"_s + QString(30, u'0');
    QTest::newRow("largest") << 2147483647 << QString(31, u'1');
}

void TestArithmetic::binaryDigits()
{
    QFETCH(int, whole);
    QFETCH(QString, digits);
    QCOMPARE(Modulo1::binaryDigits(whole), digits);
}

void TestArithmetic::isBinaryText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("binary");
    QTest::newRow("101") << u"101"_s << true;
    QTest::newRow("0") << u"0"_s << true;
    QTest::newRow("0000") << u"0000"_s << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("digit 2") << u"12"_s << false;
    QTest::newRow("letter") << u"1a1"_s << false;
    QTest::newRow("leading blank") << u" 1"_s << false;
    QTest::newRow("inner blank") << u"1 1"_s << false;
    QTest::newRow("sign") << u"-1"_s << false;
    QTest::newRow("point") << u"1.0"_s << false;
    QTest::newRow("exponent") << u"1e1"_s << false;
    QTest::newRow("blanks") << u"   "_s << false;
    QTest::newRow("fullwidth one") << u"\uFF11"_s << false;
    QTest::newRow("nul") << u"1\u0000"_s << false;
}

void TestArithmetic::isBinaryText()
{
    QFETCH(QString, text);
    QFETCH(bool, binary);
    QCOMPARE(Modulo1::isBinaryText(text), binary);
}

void TestArithmetic::binaryValue_data()
{
    QTest::addColumn<QString>("bits");
    QTest::addColumn<double>("value");
    QTest::newRow("101") << u"101"_s << 5.0;
    QTest::newRow("1111") << u"1111"_s << 15.0;
    QTest::newRow("10000000") << u"10000000"_s << 128.0;
    QTest::newRow("zeros") << u"0000"_s << 0.0;
    QTest::newRow("49 ones") << QString(49, u'1') << 562949953421311.0;
    QTest::newRow("53 ones") << QString(53, u'1') << 9007199254740991.0;
    QTest::newRow("1 and 50 zeros") << u"1"_s + QString(50, u'0') << std::ldexp(1.0, 50);
    QTest::newRow("1 at 1024th place") << u"1"_s + QString(1023, u'0') << std::ldexp(1.0, 1023);
    QTest::newRow("leading zeros past 1024") << QString(5000, u'0') + u"11"_s << 3.0;
    // 2^1023 - 1 is not a double: the sum rounds to 2^1023.
    QTest::newRow("1023 ones") << QString(1023, u'1') << std::ldexp(1.0, 1023);
}

void TestArithmetic::binaryValue()
{
    QFETCH(QString, bits);
    QFETCH(double, value);
    QCOMPARE(Modulo1::binaryValue(bits), value);
}

void TestArithmetic::binaryValueOverflows_data()
{
    QTest::addColumn<QString>("bits");
    QTest::newRow("1 at 1025th place") << u"1"_s + QString(1024, u'0');
    QTest::newRow("1024 ones") << QString(1024, u'1');
    QTest::newRow("32767 ones") << QString(32767, u'1');
}

void TestArithmetic::binaryValueOverflows()
{
    QFETCH(QString, bits);
    try {
        Modulo1::binaryValue(bits);
        QFAIL("no overflow");
    } catch (const rt::RuntimeError &e) {
        QCOMPARE(e.number(), rt::RuntimeError::Overflow);
    }
}

void TestArithmetic::negativeBoundary()
{
    QVERIFY(!Modulo1::roundsToNegative(-0.5));
    QVERIFY(!Modulo1::roundsToNegative(-0.0));
    QVERIFY(Modulo1::roundsToNegative(std::nextafter(-0.5, -1.0)));
    QVERIFY(Modulo1::roundsToNegative(-1e300));
}

QTEST_GUILESS_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"
