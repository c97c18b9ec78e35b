// Conversion requests, option clicks and menu commands through the real window, and the
// message boxes they show.
#include "headlessform.h"
#include "modulo1.h"
#include "windowfixture.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

class RecordingEnd : public rt::EndService
{
public:
    void endProgram() override { ++calls; }
    int calls = 0;
};

} // namespace

class TestRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enterConverts_data();
    void enterConverts();
    void buttonConverts_data();
    void buttonConverts();
    void otherKeysConvertNothing();
    void emptyInputConvertsNothing_data();
    void emptyInputConvertsNothing();
    void staleResultReplaced();
    void refusalShownOnce_data();
    void refusalShownOnce();
    void runtimeErrorReported_data();
    void runtimeErrorReported();
    void realModalBoxes_data();
    void realModalBoxes();
    void optionClickFocusesInput_data();
    void optionClickFocusesInput();
    void arrowKeysSwitchOptionAndFocusInput();
    void nuovo();
    void chiudiEndsTheProgram();
    void chiudiEndsTheEventLoop();

private:
    void request(QWidget *where);

    std::unique_ptr<window::FrmBinario> form;
    RecordingMessageBox messages;
};

void TestRequests::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestRequests::init()
{
    form = shownWindow();
    QVERIFY(form);
    messages.shown.clear();
    form->setMessageBoxService(&messages);
}

void TestRequests::cleanup()
{
    form.reset();
}

void TestRequests::enterConverts_data()
{
    QTest::addColumn<bool>("inResultBox");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");

    const std::pair<const char *, int> keys[]
        = { { "Return", Qt::Key_Return }, { "keypad Enter", Qt::Key_Enter } };
    const std::pair<const char *, int> mods[] = { { "", Qt::NoModifier },
                                                  { "Shift+", Qt::ShiftModifier },
                                                  { "Ctrl+", Qt::ControlModifier } };
    for (bool inResultBox : { false, true }) {
        for (const auto &[keyName, key] : keys) {
            for (const auto &[modName, modifier] : mods) {
                const QString where = inResultBox ? u"in Text2"_s : u"in Text1"_s;
                const int mod = modifier | (key == Qt::Key_Enter ? int(Qt::KeypadModifier) : 0);
                QTest::addRow("%s%s %s, to binary", modName, keyName, qPrintable(where))
                    << inResultBox << key << mod << true << u"10"_s << u"1010"_s;
                QTest::addRow("%s%s %s, to decimal", modName, keyName, qPrintable(where))
                    << inResultBox << key << mod << false << u"101"_s << u"5"_s;
            }
        }
    }
}

void TestRequests::enterConverts()
{
    QFETCH(bool, inResultBox);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, result);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(input);
    QLineEdit *box = inResultBox ? form->Text2 : form->Text1;
    box->setFocus();
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form->Text2->text(), result);
    QCOMPARE(form->Text1->text(), input);
    QVERIFY(messages.shown.isEmpty());
}

void TestRequests::buttonConverts_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::newRow("to binary") << true << u"255"_s << u"11111111"_s;
    QTest::newRow("to decimal") << false << u"10000000"_s << u"128"_s;
    QTest::newRow("blanks to decimal are refused") << false << u"  "_s << QString();
}

void TestRequests::buttonConverts()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, result);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(input);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->Text2->text(), result);
    // From the keyboard: Space on the focused button.
    form->Text2->clear();
    form->Text1->setText(input);
    form->Command1->setFocus();
    QTest::keyClick(form->Command1, Qt::Key_Space);
    QCOMPARE(form->Text2->text(), result);
}

void TestRequests::otherKeysConvertNothing()
{
    form->Text1->setText(u"10"_s);
    form->Text1->setFocus();
    for (Qt::Key key : { Qt::Key_Space, Qt::Key_A, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_F1,
                         Qt::Key_Down, Qt::Key_Backspace })
        QTest::keyClick(form->Text2, key);
    QCOMPARE(form->Text2->text(), QString());
}

void TestRequests::emptyInputConvertsNothing_data()
{
    QTest::addColumn<bool>("binario");
    QTest::newRow("Binario") << true;
    QTest::newRow("Decimale") << false;
}

void TestRequests::emptyInputConvertsNothing()
{
    QFETCH(bool, binario);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text2->setText(u"kept"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QTest::keyClick(form->Text2, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->Text2->text(), u"kept"_s);
    QVERIFY(messages.shown.isEmpty());
}

void TestRequests::staleResultReplaced()
{
    form->Text1->setText(u"2147483647"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QCOMPARE(form->Text2->text(), QString(31, u'1'));
    form->Text1->setText(u"2"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QCOMPARE(form->Text2->text(), u"10"_s);
}

void TestRequests::refusalShownOnce_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << true << u"-5"_s << Modulo1::negativeInputMessage();
    QTest::newRow("not binary, many bad digits")
        << false << u"2292"_s << Modulo1::notBinaryInputMessage();
}

void TestRequests::refusalShownOnce()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, message);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(input);
    form->Text2->setText(u"earlier"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QCOMPARE(messages.shown, QStringList { message });
    QCOMPARE(form->Text1->text(), QString());
    QCOMPARE(form->Text2->text(), QString());
}

void TestRequests::runtimeErrorReported_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("report");
    const QString mismatch = u"Errore di run-time '13':\nTipo non corrispondente"_s;
    const QString overflow = u"Errore di run-time '6':\nOverflow"_s;
    QTest::newRow("blanks to binary") << true << u"   "_s << mismatch;
    QTest::newRow("word to binary") << true << u"dieci"_s << mismatch;
    QTest::newRow("2^31 to binary") << true << u"2147483648"_s << overflow;
    QTest::newRow("1024 ones to decimal") << false << QString(1024, u'1') << overflow;
}

void TestRequests::runtimeErrorReported()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, report);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(input);
    form->Text2->setText(u"earlier"_s);
    form->Text2->setFocus();
    QTest::keyClick(form->Text2, Qt::Key_Return);
    QCOMPARE(messages.shown, QStringList { report });
    // The program goes on: input and earlier result kept, focus where it was.
    QVERIFY(form->isVisible());
    QCOMPARE(form->Text1->text(), input);
    QCOMPARE(form->Text2->text(), u"earlier"_s);
    QCOMPARE(QApplication::focusWidget(), form->Text2);
    form->Text1->setText(u"3"_s);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Option1->setChecked(true);
    QTest::keyClick(form->Text2, Qt::Key_Return);
    QCOMPARE(form->Text2->text(), u"11"_s);
}

void TestRequests::realModalBoxes_data()
{
    QTest::addColumn<bool>("binario");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::newRow("refusal") << false << u"12"_s << Modulo1::notBinaryInputMessage();
    QTest::newRow("run-time error")
        << true << u"abc"_s << u"Errore di run-time '13':\nTipo non corrispondente"_s;
}

void TestRequests::realModalBoxes()
{
    QFETCH(bool, binario);
    QFETCH(QString, input);
    QFETCH(QString, text);
    form->setMessageBoxService(nullptr);
    (binario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(input);
    const SeenBox seen
        = answeringBoxes(form.get(), [&] { QTest::keyClick(form->Text1, Qt::Key_Return); });
    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.title, u"Conversione"_s);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(form->isVisible());
    QVERIFY(!QApplication::activeModalWidget());

    // The next message comes in the same box: each new box would leave the key of its button's
    // icon in Qt's pixmap cache for good.
    form->Text1->setText(input);
    const SeenBox again
        = answeringBoxes(form.get(), [&] { QTest::keyClick(form->Text1, Qt::Key_Return); });
    QCOMPARE(again.text, text);
    QCOMPARE(again.showings, seen.showings + 1);
}

void TestRequests::optionClickFocusesInput_data()
{
    QTest::addColumn<bool>("clickBinario");
    QTest::addColumn<bool>("startBinario");
    QTest::newRow("switch to Decimale") << false << true;
    QTest::newRow("switch to Binario") << true << false;
    QTest::newRow("click the option already on") << true << true;
}

void TestRequests::optionClickFocusesInput()
{
    QFETCH(bool, clickBinario);
    QFETCH(bool, startBinario);
    (startBinario ? form->Option1 : form->Option2)->setChecked(true);
    form->Text1->setText(u"101"_s);
    form->Text2->setText(u"5"_s);
    form->Command1->setFocus();
    QRadioButton *target = clickBinario ? form->Option1 : form->Option2;
    QTest::mouseClick(target, Qt::LeftButton);
    QVERIFY(target->isChecked());
    QTRY_COMPARE(QApplication::focusWidget(), form->Text1);
    QCOMPARE(form->Text1->text(), u"101"_s);
    QCOMPARE(form->Text2->text(), u"5"_s);
}

void TestRequests::arrowKeysSwitchOptionAndFocusInput()
{
    form->Text1->setText(u"7"_s);
    form->Option1->setFocus();
    QTest::keyClick(form->Option1, Qt::Key_Down);
    QVERIFY(form->Option2->isChecked());
    QTRY_COMPARE(QApplication::focusWidget(), form->Text1);
    QTest::qWait(20); // nothing may take the focus back afterwards
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QCOMPARE(form->Text1->text(), u"7"_s);
    QCOMPARE(form->Text2->text(), QString());
}

void TestRequests::nuovo()
{
    form->Option2->setChecked(true);
    form->Text1->setText(u"101"_s);
    form->Text2->setText(u"5"_s);
    form->Command1->setFocus();
    form->mnuNuovo->trigger();
    QCOMPARE(form->Text1->text(), QString());
    QCOMPARE(form->Text2->text(), QString());
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QVERIFY(form->Option2->isChecked());
    // The next request converts only the new input, in the direction chosen before.
    QTest::keyClicks(form->Text1, u"11"_s);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QCOMPARE(form->Text2->text(), u"3"_s);
}

void TestRequests::chiudiEndsTheProgram()
{
    RecordingEnd end;
    form->setEndService(&end);
    form->mnuChiudi->trigger();
    QCOMPARE(end.calls, 1);
    form->setEndService(nullptr);
}

void TestRequests::chiudiEndsTheEventLoop()
{
    QEventLoop loop;
    QTimer::singleShot(0, form.get(), [this] {
        const QRect item = form->menuBar()->actionGeometry(form->mnuChiudi);
        QTest::mouseClick(form->menuBar(), Qt::LeftButton, {}, item.center());
    });
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
    QCOMPARE(loop.exec(), 0);
}

CONVERSIONE_WINDOW_TEST_MAIN(TestRequests)
#include "tst_requests.moc"
