// The conversion procedures on a headless form: results, refusals and run-time errors.
#include "headlessform.h"
#include "modulo1.h"
#include "runtimeerror.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestModulo1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void toBinary_data();
    void toBinary();
    void toDecimal_data();
    void toDecimal();
    void refusals_data();
    void refusals();
    void runtimeErrors_data();
    void runtimeErrors();
    void italianLocale_data();
    void italianLocale();
    void longInputStaysFast();

private:
    void run(bool binario);

    HeadlessForm *form = nullptr;
    Modulo1::FormInstance *registration = nullptr;
};

void TestModulo1::init()
{
    QLocale::setDefault(QLocale::c());
    form = new HeadlessForm;
    registration = new Modulo1::FormInstance(*form);
}

void TestModulo1::cleanup()
{
    delete registration;
    delete form;
    QLocale::setDefault(QLocale::c());
}

void TestModulo1::run(bool binario)
{
    form->binario = binario;
    if (binario)
        Modulo1::ConvertiInBase2();
    else
        Modulo1::ConvertiInBase10();
}

void TestModulo1::toBinary_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("10") << u"10"_s << u"1010"_s;
    QTest::newRow("255") << u"255"_s << u"11111111"_s;
    QTest::newRow("1") << u"1"_s << u"1"_s;
    QTest::newRow("largest") << u"2147483647"_s << QString(31, u'1');
    QTest::newRow("largest below tie") << u"2147483647.4"_s << QString(31, u'1');
    QTest::newRow("0 gives 0") << u"0"_s << u"0"_s;
    QTest::newRow("-0 gives 0") << u"-0"_s << u"0"_s;
    QTest::newRow("one half gives 0") << u"0.5"_s << u"0"_s;
    QTest::newRow("minus one half gives 0") << u"-0.5"_s << u"0"_s;
    QTest::newRow("underflow gives 0") << u"1e-400"_s << u"0"_s;
    QTest::newRow("negative underflow gives 0") << u"-1e-400"_s << u"0"_s;
    QTest::newRow("underflow as a long fraction gives 0")
        << u"0."_s + QString(400, u'0') + u"1"_s << u"0"_s;
    QTest::newRow("1.5 ties to 2") << u"1.5"_s << u"10"_s;
    QTest::newRow("2.5 ties to 2") << u"2.5"_s << u"10"_s;
    QTest::newRow("3.5 ties to 4") << u"3.5"_s << u"100"_s;
    QTest::newRow("0.7 rounds up") << u"0.7"_s << u"1"_s;
    QTest::newRow("exponent") << u"1e3"_s << u"1111101000"_s;
    QTest::newRow("blanks around") << u" 5 "_s << u"101"_s;
}

void TestModulo1::toBinary()
{
    QFETCH(QString, input);
    QFETCH(QString, result);
    form->text1 = input;
    form->text2 = u"stale"_s;
    run(true);
    QCOMPARE(form->text2, result);
    QCOMPARE(form->text1, input);
    QVERIFY(form->messages.shown.isEmpty());
}

void TestModulo1::toDecimal_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("101") << u"101"_s << u"5"_s;
    QTest::newRow("1111") << u"1111"_s << u"15"_s;
    QTest::newRow("10000000") << u"10000000"_s << u"128"_s;
    QTest::newRow("0") << u"0"_s << u"0"_s;
    QTest::newRow("0000") << u"0000"_s << u"0"_s;
    QTest::newRow("49 ones") << QString(49, u'1') << u"562949953421311"_s;
    QTest::newRow("1 and 50 zeros") << u"1"_s + QString(50, u'0') << u"1.12589990684262E+15"_s;
    QTest::newRow("1 at 1024th place")
        << u"1"_s + QString(1023, u'0') << u"8.98846567431158E+307"_s;
}

void TestModulo1::toDecimal()
{
    QFETCH(QString, input);
    QFETCH(QString, result);
    form->text1 = input;
    form->text2 = u"stale"_s;
    run(false);
    QCOMPARE(form->text2, result);
    QCOMPARE(form->text1, input);
    QVERIFY(form->messages.shown.isEmpty());
}

void TestModulo1::refusals_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");

    const QString negative = Modulo1::negativeInputMessage();
    const QString notBinary = Modulo1::notBinaryInputMessage();
    QCOMPARE(negative, u"Impossibile soddisfare la richiesta: il numero immesso è negativo"_s);
    QCOMPARE(notBinary, u"Impossibile soddisfare la richiesta: il numero immesso non è binario"_s);

    QTest::newRow("-1") << true << u"-1"_s << negative;
    QTest::newRow("just below -0.5") << true << u"-0.500001"_s << negative;
    QTest::newRow("below int32") << true << u"-2147483649"_s << negative;
    QTest::newRow("-1e20") << true << u"-1e20"_s << negative;
    for (const QString &text : { u"12"_s, u"21"_s, u"2292"_s, u"1a1"_s, u" 1"_s, u"1 1"_s, u"-1"_s,
                                 u"1.0"_s, u"1e1"_s, u"1e5"_s, u"   "_s, u"1-1"_s })
        QTest::newRow(qPrintable(u"not binary: '"_s + text + u"'"_s)) << false << text << notBinary;
}

void TestModulo1::refusals()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, message);
    form->text1 = input;
    form->text2 = u"stale"_s;
    run(binario);
    QCOMPARE(form->messages.shown, QStringList { message });
    QCOMPARE(form->text1, QString());
    QCOMPARE(form->text2, QString());
}

void TestModulo1::runtimeErrors_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("error");
    QTest::newRow("blanks") << true << u"   "_s << 13;
    QTest::newRow("word") << true << u"dieci"_s << 13;
    QTest::newRow("inf") << true << u"inf"_s << 13;
    QTest::newRow("nan") << true << u"nan"_s << 13;
    QTest::newRow("tie above largest") << true << u"2147483647.5"_s << 6;
    QTest::newRow("2^31") << true << u"2147483648"_s << 6;
    QTest::newRow("1e400") << true << u"1e400"_s << 6;
    QTest::newRow("-1e400") << true << u"-1e400"_s << 6;
    QTest::newRow("1 at 1025th place") << false << u"1"_s + QString(1024, u'0') << 6;
    QTest::newRow("1024 ones") << false << QString(1024, u'1') << 6;
}

void TestModulo1::runtimeErrors()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(int, error);
    form->text1 = input;
    form->text2 = u"earlier result"_s;
    int raised = 0;
    try {
        run(binario);
    } catch (const rt::RuntimeError &e) {
        raised = e.number();
    }
    QCOMPARE(raised, error);
    QCOMPARE(form->text1, input);
    QCOMPARE(form->text2, u"earlier result"_s);
    QVERIFY(form->messages.shown.isEmpty());
}

void TestModulo1::italianLocale_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("0,5 ties to 0") << true << u"0,5"_s << u"0"_s;
    QTest::newRow("2,5 ties to 2") << true << u"2,5"_s << u"10"_s;
    QTest::newRow("plain point still read") << true << u"3.5"_s << u"100"_s;
    QTest::newRow("exponent form uses comma")
        << false << u"1"_s + QString(50, u'0') << u"1,12589990684262E+15"_s;
}

void TestModulo1::italianLocale()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, result);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    form->text1 = input;
    run(binario);
    QCOMPARE(form->text2, result);
}

void TestModulo1::longInputStaysFast()
{
    // Quadratic work would take seconds here; linear work takes well under a millisecond.
    form->text1 = QString(32766, u'0') + u'1';
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100; ++i)
        run(false);
    QCOMPARE(form->text2, u"1"_s);
    QVERIFY2(timer.elapsed() < 5000, "32767-character input is not converted in linear time");
}

QTEST_GUILESS_MAIN(TestModulo1)
#include "tst_modulo1.moc"
