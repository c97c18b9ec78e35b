// The window's contents and start state: controls, geometry, fonts, tab order, menu and
// accessibility.
#include "startup.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace Qt::StringLiterals;

class TestFrmBinario : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startState();
    void geometry_data();
    void geometry();
    void fixedSize();
#ifdef Q_OS_WIN
    void takesANewScreensScale();
#endif
    void captionsFit_data();
    void captionsFit();
    void command1Font();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
    void menuBar();
    void text2IsReadOnlyButFocusable();
    void escapeAndDefaultButtonDoNothing();
    void longPasteIsKept();
    void userStyle_data();
    void userStyle();

private:
    std::unique_ptr<window::FrmBinario> form;
};

void TestFrmBinario::init()
{
    form = shownWindow();
    QVERIFY(form);
}

void TestFrmBinario::cleanup()
{
    form.reset();
}

void TestFrmBinario::startState()
{
    QCOMPARE(form->windowTitle(), u"Conversione"_s);
    QCOMPARE(form->Text1->text(), QString());
    QCOMPARE(form->Text2->text(), QString());
    QVERIFY(form->Option1->isChecked());
    QVERIFY(!form->Option2->isChecked());
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QCOMPARE(&Modulo1::frmBinario(), static_cast<Modulo1::Form *>(form.get()));
}

void TestFrmBinario::geometry_data()
{
    // Pixels at 15 twips each, written out here so that a slip in the window's table shows.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("Text1") << u"Text1"_s << u"clientArea"_s << QRect(40, 32, 161, 19);
    QTest::newRow("Text2") << u"Text2"_s << u"clientArea"_s << QRect(40, 80, 161, 19);
    QTest::newRow("Command1") << u"Command1"_s << u"clientArea"_s << QRect(64, 112, 113, 33);
    QTest::newRow("Frame1") << u"Frame1"_s << u"clientArea"_s << QRect(224, 32, 97, 73);
    QTest::newRow("Option1") << u"Option1"_s << u"Frame1"_s << QRect(8, 16, 65, 25);
    QTest::newRow("Option2") << u"Option2"_s << u"Frame1"_s << QRect(8, 40, 73, 25);
    QTest::newRow("Label1") << u"Label1"_s << u"clientArea"_s << QRect(96, 64, 41, 17);
    QTest::newRow("Label2") << u"Label2"_s << u"clientArea"_s << QRect(104, 16, 25, 17);
}

void TestFrmBinario::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    auto *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), rect);
}

void TestFrmBinario::fixedSize()
{
    const QWidget *client = form->centralWidget();
    QCOMPARE(client->size(), QSize(339, 160));
    QCOMPARE(client->y(), form->menuBar()->geometry().bottom() + 1);
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->height(), form->menuBar()->height() + 160);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::MSWindowsFixedSizeDialogHint); // no sizing border on Windows
}

#ifdef Q_OS_WIN
// Moved to a screen of another scale, Windows first asks the window for its size there
// (WM_GETDPISCALEDSIZE), then gives it that rectangle. The thin frame of a fixed-size dialog must
// not keep the window at its old pixels: at twice the dots per inch, twice the size.
void TestFrmBinario::takesANewScreensScale()
{
    const auto hwnd = reinterpret_cast<HWND>(form->winId());
    RECT frame;
    QVERIFY(GetWindowRect(hwnd, &frame));
    SIZE size {};
    QVERIFY(SendMessageW(hwnd, WM_GETDPISCALEDSIZE, 2 * GetDpiForWindow(hwnd),
                         reinterpret_cast<LPARAM>(&size)));
    QVERIFY2(qAbs(size.cx - 2 * (frame.right - frame.left)) <= 2,
             qPrintable(QString::number(size.cx)));
    QVERIFY2(qAbs(size.cy - 2 * (frame.bottom - frame.top)) <= 2,
             qPrintable(QString::number(size.cy)));
}
#endif

void TestFrmBinario::captionsFit_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : { "Command1", "Frame1", "Option1", "Option2", "Label1", "Label2" })
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestFrmBinario::captionsFit()
{
    QFETCH(QString, name);
    auto *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    if (auto *frame = qobject_cast<QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, frame);
        QVERIFY(frame->rect().contains(label));
        QVERIFY(label.width() >= frame->fontMetrics().horizontalAdvance(frame->title()));
    } else {
        // The size a control asks for to show its whole caption, decorations included.
        const QSize wanted = control->sizeHint();
        QVERIFY2(wanted.width() <= control->width(),
                 qPrintable(u"needs %1 px, has %2"_s.arg(wanted.width()).arg(control->width())));
        QVERIFY2(control->fontMetrics().height() <= control->height(), "caption too tall");
    }
}

void TestFrmBinario::command1Font()
{
    const QFont font = form->Command1->font();
    QCOMPARE(font.family(), u"MS Sans Serif"_s);
    QCOMPARE(font.pixelSize(), 16); // 12 point at 96 dpi
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    const QFontInfo used(font); // the face really drawn, where "MS Sans Serif" is missing
#ifdef Q_OS_WIN
    // Windows has the face only as bitmaps (Wine too): a scalable one stands in.
    const QStringList faces { u"Microsoft Sans Serif"_s, u"Arial"_s, u"Liberation Sans"_s };
    QVERIFY2(faces.contains(used.family()), qPrintable(used.family()));
#else
    QCOMPARE(used.family(), u"Liberation Sans"_s);
#endif
    QVERIFY(used.bold());
    // The other controls' font: at 11 px "Risultato" no longer fits (captionsFit), and smaller
    // would be needlessly hard to read.
    QCOMPARE(QFontInfo(form->Text1->font()).pixelSize(), 10);
}

void TestFrmBinario::tabOrder()
{
    // Backwards from the input box at start, the group is entered at "Binario", the option on.
    QTest::keyClick(form->Text1, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), form->Option1);
    form->Text1->setFocus();
    const QList<QWidget *> forward { form->Text2, form->Command1, form->Option1, form->Text1 };
    for (QWidget *expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    // With "Decimale" on, the group is entered at the button that is on.
    form->Option2->setChecked(true);
    const QList<QWidget *> backward { form->Option2, form->Command1, form->Text2, form->Text1 };
    for (QWidget *expected : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    for (QWidget *noFocus :
         { static_cast<QWidget *>(form->Frame1), static_cast<QWidget *>(form->Label1),
           static_cast<QWidget *>(form->Label2) })
        QCOMPARE(noFocus->focusPolicy(), Qt::NoFocus);
}

void TestFrmBinario::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("announced");
    QTest::newRow("input box by its label") << u"Text1"_s << u"Input"_s;
    QTest::newRow("result box by its label") << u"Text2"_s << u"Risultato"_s;
    QTest::newRow("button") << u"Command1"_s << u"Converti"_s;
    QTest::newRow("frame") << u"Frame1"_s << u"Tipo conversione"_s;
    QTest::newRow("Binario") << u"Option1"_s << u"Binario"_s;
    QTest::newRow("Decimale") << u"Option2"_s << u"Decimale"_s;
}

void TestFrmBinario::accessibleNames()
{
    QFETCH(QString, name);
    QFETCH(QString, announced);
    auto *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), announced);
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        auto *label = box == form->Text1 ? form->Label2 : form->Label1;
        QCOMPARE(label->buddy(), box);
        // A screen reader walking the window meets the label just before its box.
        QAccessibleInterface *area = accessible->parent();
        QCOMPARE(area->indexOfChild(QAccessible::queryAccessibleInterface(label)) + 1,
                 area->indexOfChild(accessible));
        // Orca builds the line it speaks from the attribute runs: one run must span the whole
        // value, from every offset, or the last character goes unspoken.
        box->setText(u"1111101000"_s);
        QAccessibleTextInterface *text = accessible->textInterface();
        QVERIFY(text);
        for (int offset : { 0, 9, 10 }) {
            int start = -1, end = -1;
            text->attributes(offset, &start, &end);
            QCOMPARE(start, 0);
            QCOMPARE(end, 10);
        }
        // A screen reader edits the input box as the keyboard does, the result box not at all.
        accessible->editableTextInterface()->insertText(0, u"9"_s);
        accessible->setText(QAccessible::Value, accessible->text(QAccessible::Value) + u'7');
        QCOMPARE(box->text(), box->isReadOnly() ? u"1111101000"_s : u"911111010007"_s);
        // Nor past the bound: a text too long is refused whole, never cut short.
        const QString kept = box->text();
        accessible->editableTextInterface()->insertText(0, QString(box->maxLength(), u'1'));
        QCOMPARE(box->text(), kept);
    }
}

void TestFrmBinario::menuBar()
{
    const QList<QAction *> actions = form->menuBar()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0], form->mnuNuovo);
    QCOMPARE(actions[1], form->mnuChiudi);
    QCOMPARE(form->mnuNuovo->text(), u"Nuovo"_s);
    QCOMPARE(form->mnuChiudi->text(), u"Chiudi"_s);
    for (QAction *action : actions) {
        QVERIFY(!action->menu());
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(!action->text().contains(u'&'));
    }
    QVERIFY(!form->menuBar()->isNativeMenuBar());
    QCOMPARE(QAccessible::queryAccessibleInterface(form->menuBar())->text(QAccessible::Name),
             u"Menu"_s);

    // F10 enters the bar at "Nuovo" as a tap of Alt does, and a second F10 leaves it.
    QTest::keyClick(form->Text1, Qt::Key_F10);
    QTRY_VERIFY(form->menuBar()->hasFocus());
    QCOMPARE(form->menuBar()->activeAction(), form->mnuNuovo);
    QTest::keyClick(form->menuBar(), Qt::Key_F10);
    QTRY_COMPARE(QApplication::focusWidget(), form->Text1);
}

void TestFrmBinario::text2IsReadOnlyButFocusable()
{
    form->Text2->setText(u"1010"_s);
    QTest::keyClick(form->Text1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->Text2);
    QTest::keyClicks(form->Text2, u"99"_s);
    QCOMPARE(form->Text2->text(), u"1010"_s);
    form->Text2->selectAll();
    QCOMPARE(form->Text2->selectedText(), u"1010"_s);
}

void TestFrmBinario::escapeAndDefaultButtonDoNothing()
{
    QVERIFY(!form->Command1->isDefault());
    QVERIFY(!form->Command1->autoDefault());
    form->Text1->setText(u"10"_s);
    QTest::keyClick(form->Text1, Qt::Key_Escape);
    QVERIFY(form->isVisible());
    QCOMPARE(form->Text1->text(), u"10"_s);
    QCOMPARE(form->Text2->text(), QString());
}

void TestFrmBinario::longPasteIsKept()
{
    const QString long40k = QString(40000, u'1');
    form->Text1->clear();
    form->Text1->insert(long40k); // what a paste does
    QCOMPARE(form->Text1->text().size(), long40k.size());
}

void TestFrmBinario::userStyle_data()
{
    // What the user named, what Qt then loaded at start, and the style the window is drawn in.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("used");
    // Where none is named, or Qt could not load the one named: on Windows the style Qt loaded
    // for the system stays; elsewhere Fusion.
#ifdef Q_OS_WIN
    const QString own = u"windows"_s;
#else
    const QString own = u"fusion"_s;
#endif
    QTest::newRow("none named") << QStringList() << QString() << u"windows"_s << own;
    QTest::newRow("-style NAME") << QStringList { u"-style"_s, u"windows"_s } << QString()
                                 << u"windows"_s << u"windows"_s;
    QTest::newRow("-style=NAME") << QStringList { u"-style=windows"_s } << QString() << u"windows"_s
                                 << u"windows"_s;
    QTest::newRow("--style NAME") << QStringList { u"-x"_s, u"--style"_s, u"windows"_s }
                                  << QString() << u"windows"_s << u"windows"_s;
    QTest::newRow("QT_STYLE_OVERRIDE")
        << QStringList() << u"Windows"_s << u"windows"_s << u"windows"_s;
    QTest::newRow("argument wins over environment")
        << QStringList { u"-style"_s, u"windows"_s } << u"fusion"_s << u"windows"_s << u"windows"_s;
    QTest::newRow("one Qt could not load")
        << QStringList { u"-style"_s, u"nosuch"_s } << QString() << u"windows"_s << own;
}

void TestFrmBinario::userStyle()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, loaded);
    QFETCH(QString, used);
    form.reset(); // the choice is made before the window exists
    QByteArrayList bytes { "conversione" };
    for (const QString &argument : arguments)
        bytes << argument.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());

    qputenv("QT_STYLE_OVERRIDE", environment.toLocal8Bit());
    QApplication::setStyle(loaded);
    window::chooseStyle(window::styleNamedByUser(int(argv.size()), argv.data()));
    const QString name = QApplication::style()->name();
    qunsetenv("QT_STYLE_OVERRIDE");
    QApplication::setStyle(u"Fusion"_s);
    QCOMPARE(name, used);
}

CONVERSIONE_WINDOW_TEST_MAIN(TestFrmBinario)
#include "tst_frmbinario.moc"
