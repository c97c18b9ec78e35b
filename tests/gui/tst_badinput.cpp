// Hostile input through the real window: the longest paste, control characters, right-to-left
// text and emoji, pasted or typed, in either direction. Each request ends in a result, the
// refusal or a reported run-time error, shown in a real modal box, and the program goes on.
#include "application.h"
#include "modulo1.h"
#include "runtimeerror.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

enum class Delivery { Paste, Type };

const QString earlier = u"earlier"_s;

QString report(rt::RuntimeError::Number number)
{
    return rt::RuntimeError(number).reportText();
}

// One key event per character, carrying its text, as a keyboard or an input method sends them.
void type(QWidget *box, const QString &text)
{
    for (char32_t c : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        QString::fromUcs4(&c, 1));
        QApplication::sendEvent(box, &press);
    }
}

void paste(QLineEdit *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

Q_DECLARE_METATYPE(Delivery)

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void endsInResultRefusalOrError_data();
    void endsInResultRefusalOrError();

private:
    std::unique_ptr<window::FrmBinario> form;
};

void TestBadInput::initTestCase()
{
    window::setUpApplication();
    QLocale::setDefault(QLocale::c());
}

void TestBadInput::init()
{
    form = shownWindow();
    QVERIFY(form);
}

void TestBadInput::cleanup()
{
    form.reset();
}

void TestBadInput::endsInResultRefusalOrError_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<Delivery>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result"); // Text2 afterwards
    QTest::addColumn<QString>("box"); // the text of the one box shown, or empty for none

    const auto paste = Delivery::Paste;
    const auto type = Delivery::Type;
    const QString overflow = report(rt::RuntimeError::Overflow);
    const QString mismatch = report(rt::RuntimeError::TypeMismatch);
    const QString notBinary = Modulo1::notBinaryInputMessage();
    const int longest = 32767;
    const QString emoji = u"\U0001F600"_s;

    // Decimal to binary.
    QTest::newRow("Binario: 32767 ones, beyond a double")
        << true << paste << QString(longest, u'1') << earlier << overflow;
    QTest::newRow("Binario: 32767 characters, zeros then 10")
        << true << paste << QString(longest - 2, u'0') + u"10"_s << u"1010"_s << QString();
    QTest::newRow("Binario: 32767 blanks")
        << true << paste << QString(longest, u' ') << earlier << mismatch;
    QTest::newRow("Binario: 32767 characters of emoji halves, a pair split at the end")
        << true << paste << emoji.repeated(longest / 2) + emoji.front() << earlier << mismatch;
    QTest::newRow("Binario: pasted tab inside a number")
        << true << paste << u"1\t0"_s << earlier << mismatch;
    QTest::newRow("Binario: pasted line break inside a number")
        << true << paste << u"1\r\n0"_s << earlier << mismatch;
    QTest::newRow("Binario: pasted control characters around a number") << true << paste
                                                                        << u"\x01"
                                                                           "5\x1b"_s
                                                                        << earlier << mismatch;
    QTest::newRow("Binario: typed control characters are not inserted") << true << type
                                                                        << u"\x01"
                                                                           "5\x1b"_s
                                                                        << u"101"_s << QString();
    QTest::newRow("Binario: right-to-left mark before the digits")
        << true << paste << u"\u200F10"_s << earlier << mismatch;
    QTest::newRow("Binario: right-to-left override after the digits")
        << true << type << u"10\u202E"_s << earlier << mismatch;
    QTest::newRow("Binario: Arabic-Indic digits")
        << true << type << u"\u0661\u0660"_s << earlier << mismatch;
    QTest::newRow("Binario: Hebrew letters")
        << true << paste << u"\u05E9\u05DC\u05D5\u05DD"_s << earlier << mismatch;
    QTest::newRow("Binario: emoji alone") << true << type << emoji << earlier << mismatch;
    QTest::newRow("Binario: emoji between digits")
        << true << paste << u"1"_s + emoji + u"0"_s << earlier << mismatch;

    // Binary to decimal.
    QTest::newRow("Decimale: 32767 ones, beyond a double")
        << false << paste << QString(longest, u'1') << earlier << overflow;
    QTest::newRow("Decimale: 32767 characters, zeros then 101")
        << false << paste << QString(longest - 3, u'0') + u"101"_s << u"5"_s << QString();
    QTest::newRow("Decimale: 32767 characters, last one not binary")
        << false << paste << QString(longest - 1, u'1') + u"2"_s << QString() << notBinary;
    QTest::newRow("Decimale: pasted tab") << false << paste << u"1\t0"_s << QString() << notBinary;
    QTest::newRow("Decimale: typed control characters are not inserted") << false << type
                                                                         << u"\x01"
                                                                            "101\x1b"_s
                                                                         << u"5"_s << QString();
    QTest::newRow("Decimale: right-to-left mark before the digits")
        << false << paste << u"\u200F101"_s << QString() << notBinary;
    QTest::newRow("Decimale: Arabic-Indic digits")
        << false << type << u"\u0661\u0660\u0661"_s << QString() << notBinary;
    QTest::newRow("Decimale: emoji between digits")
        << false << type << u"1"_s + emoji + u"1"_s << QString() << notBinary;
    QTest::newRow("Decimale: lone surrogate")
        << false << paste << u"1"_s + emoji.front() << QString() << notBinary;
}

void TestBadInput::endsInResultRefusalOrError()
{
    QFETCH(bool, binario);
    QFETCH(Delivery, how);
    QFETCH(QString, input);
    QFETCH(QString, result);
    QFETCH(QString, box);

    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text2->setText(earlier);
    form->Text1->setFocus();
    how == Delivery::Paste ? paste(form->Text1, input) : type(form->Text1, input);
    const QString delivered = form->Text1->text();
    QVERIFY(!delivered.isEmpty());

    const SeenBox seen
        = answeringBoxes(form.get(), [&] { QTest::keyClick(form->Text1, Qt::Key_Return); });
    QCOMPARE(seen.count, box.isEmpty() ? 0 : 1);
    QCOMPARE(seen.text, box);
    QCOMPARE(form->Text2->text(), result);
    // Only the refusal empties the input box.
    QCOMPARE(form->Text1->text(), box == Modulo1::notBinaryInputMessage() ? QString() : delivered);

    // The program goes on: no box left open, and the next request converts.
    QVERIFY(form->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    form->Option1->setChecked(true);
    form->Text1->setText(u"10"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QCOMPARE(form->Text2->text(), u"1010"_s);
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
