// Hostile input through the real window: the longest paste, control characters, right-to-left
// text and emoji, pasted or typed, in either direction. Each request ends in a result, the
// refusal or a reported run-time error, shown in a real modal box, and the program goes on.
// Input past the box's bound, by any way in, is refused whole before the box takes it.
#include "inputlimit.h"
#include "modulo1.h"
#include "runtimeerror.h"
#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

enum class Delivery { Paste, Type, ShiftInsert, MenuPaste, Drop, InputMethod };

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

// "Incolla" in the box's own context menu.
void pasteFromMenu(QLineEdit *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    const QPoint where = box->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, where, box->mapToGlobal(where));
    QApplication::sendEvent(box, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    const QList<QAction *> actions = menu->actions();
    const auto action = std::find_if(actions.begin(), actions.end(), [](QAction *a) {
        return a->text().startsWith(QLineEdit::tr("&Paste"));
    });
    QVERIFY(action != actions.end() && (*action)->isEnabled());
    // As a click does: the menu goes away, then its action runs.
    menu->hide();
    (*action)->trigger();
    menu->close();
}

// Text dragged from another program and dropped at the end of the box.
void drop(QLineEdit *box, const QString &text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at(box->width() - 2, box->height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &dropped);
}

// An input method (dead keys, compose) committing a text.
void commit(QLineEdit *box, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(box, &event);
}

void deliver(Delivery how, QLineEdit *box, const QString &text)
{
    switch (how) {
    case Delivery::Paste:
        paste(box, text);
        break;
    case Delivery::Type:
        type(box, text);
        break;
    case Delivery::ShiftInsert:
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
        break;
    case Delivery::MenuPaste:
        pasteFromMenu(box, text);
        break;
    case Delivery::Drop:
        drop(box, text);
        break;
    case Delivery::InputMethod:
        commit(box, text);
        break;
    }
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
    void tooLongRefusedWhole_data();
    void tooLongRefusedWhole();

private:
    std::unique_ptr<window::FrmBinario> form;
};

void TestBadInput::initTestCase()
{
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
    const int longest = int(Modulo1::longestInput);
    const QString emoji = u"\U0001F600"_s;

    // Decimal to binary.
    QTest::newRow("Binario: the longest input, ones, beyond a double")
        << true << paste << QString(longest, u'1') << earlier << overflow;
    QTest::newRow("Binario: the longest input, zeros then 10")
        << true << paste << QString(longest - 2, u'0') + u"10"_s << u"1010"_s << QString();
    QTest::newRow("Binario: the longest input, blanks")
        << true << paste << QString(longest, u' ') << earlier << mismatch;
    QTest::newRow("Binario: the longest input of emoji halves, a pair split at the end")
        << true << paste << emoji.repeated((longest - 1) / 2) + emoji.front() << earlier
        << mismatch;
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
    QTest::newRow("Decimale: the longest input, ones, beyond a double")
        << false << paste << QString(longest, u'1') << earlier << overflow;
    QTest::newRow("Decimale: the longest input, zeros then 101")
        << false << paste << QString(longest - 3, u'0') + u"101"_s << u"5"_s << QString();
    QTest::newRow("Decimale: the longest input, last one not binary")
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
    deliver(how, form->Text1, input);
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

void TestBadInput::tooLongRefusedWhole_data()
{
    QTest::addColumn<Delivery>("how");
    QTest::addColumn<QString>("before"); // Text1 before
    QTest::addColumn<bool>("selectAll"); // the delivered text replaces all of it
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("refused");

    const qsizetype longest = Modulo1::longestInput;
    const QString full(longest, u'0');
    const QString oneOver = QString(longest, u'1') + u'0';
    const QString tenMegabytes(10'000'000, u'1');

    QTest::newRow("Ctrl+V, one character over, empty box")
        << Delivery::Paste << QString() << false << oneOver << true;
    QTest::newRow("Ctrl+V, 10 MB") << Delivery::Paste << u"12"_s << false << tenMegabytes << true;
    QTest::newRow("Ctrl+V, two characters onto a box one short of full")
        << Delivery::Paste << full.left(longest - 1) << false << u"10"_s << true;
    QTest::newRow("Ctrl+V, exactly filling the box")
        << Delivery::Paste << full.left(longest - 2) << false << u"10"_s << false;
    QTest::newRow("Ctrl+V, replacing a full box's selection with as many")
        << Delivery::Paste << full << true << QString(longest, u'1') << false;
    QTest::newRow("Shift+Insert, one character over")
        << Delivery::ShiftInsert << u"7"_s << false << oneOver << true;
    QTest::newRow("context menu's Incolla, one character over")
        << Delivery::MenuPaste << u"7"_s << false << oneOver << true;
    QTest::newRow("context menu's Incolla, fitting")
        << Delivery::MenuPaste << u"7"_s << false << u"10"_s << false;
    QTest::newRow("drop, one character over")
        << Delivery::Drop << QString() << false << oneOver << true;
    QTest::newRow("drop onto a selection, which it does not replace")
        << Delivery::Drop << full.left(longest - 1) << true << u"10"_s << true;
    QTest::newRow("drop, exactly filling the box")
        << Delivery::Drop << QString(longest - 2, u'1') << false << u"11"_s << false;
    QTest::newRow("typing into a full box") << Delivery::Type << full << false << u"1"_s << true;
    QTest::newRow("typing over a full box's selection")
        << Delivery::Type << full << true << u"1"_s << false;
    QTest::newRow("input method's commit into a full box")
        << Delivery::InputMethod << full << false << u"\u00e8"_s << true;
}

// A refusal keeps the box as it was and says why in the program's box; a text that fits goes
// in whole without a word.
void TestBadInput::tooLongRefusedWhole()
{
    QFETCH(Delivery, how);
    QFETCH(QString, before);
    QFETCH(bool, selectAll);
    QFETCH(QString, input);
    QFETCH(bool, refused);

    form->Text1->setText(before);
    form->Text2->setText(earlier);
    form->Text1->setFocus();
    if (selectAll)
        form->Text1->selectAll();
    const SeenBox seen = answeringBoxes(form.get(), [&] {
        deliver(how, form->Text1, input);
        QCoreApplication::processEvents(); // a drop's refusal comes once the drag is over
    });

    QCOMPARE(seen.count, refused ? 1 : 0);
    if (refused) {
        QCOMPARE(seen.title, u"Conversione"_s);
        QCOMPARE(seen.text, Modulo1::tooLongInputMessage());
        QCOMPARE(seen.buttons, QMessageBox::Ok);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(form->Text1->text(), before);
    } else {
        QCOMPARE(form->Text1->text(), (selectAll ? QString() : before) + input);
    }
    QCOMPARE(form->Text2->text(), earlier);
    QVERIFY(form->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
}

CONVERSIONE_WINDOW_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
