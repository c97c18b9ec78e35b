// frmBinario: building the window from its description, the form operations the conversion
// procedures use, and the seven event handlers.
#include "frmbinario.h"

#include "announcements.h"
#include "focusreport.h"
#include "fonts.h"
#include "formdescription.h"
#include "inputbox.h"
#include "inputlimit.h"
#include "menubarkeyboard.h"
#include "modulo1.h"
#include "runtimeerror.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace window {

FrmBinario::FrmBinario(QWidget *parent)
    : QMainWindow(parent)
    , m_qtMessageBoxes(this)
    , m_instance(*this)
{
    setObjectName(QStringLiteral("frmBinario"));
    setWindowTitle(formTitle.toString());
    setFont(defaultFont());
    createMenu();
    openMenuBarWithF10(this);
    createControls();
    connectHandlers();
    // The geometry is fixed by the description: no resizing, no maximising.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    // On Windows also a thin border without sizing handles, as fixed windows have there.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    // Qt focuses the first control only once the window is activated; where nothing activates
    // it (an X display without a window manager) keys would otherwise reach no box at all.
    Text1->setFocus();
}

FrmBinario::~FrmBinario() = default;

namespace {

// The input box refuses text past its bound, whole; only the program writes the result box.
QLineEdit *newTextBox(QStringView name, QWidget *parent)
{
    QLineEdit *box
        = name == u"Text1" ? new InputBox(Modulo1::longestInput, parent) : new QLineEdit(parent);
    // A new line edit reports its first caret position on its first focus-in, just before the
    // focus itself; a screen reader then takes the focus for old news and does not name the
    // box. Reporting it now, while nobody listens, keeps the first Tab into the box spoken.
    box->setCursorPosition(0);
    return box;
}

} // namespace

void FrmBinario::createMenu()
{
    menuBar()->setNativeMenuBar(false); // the client area is measured below an in-window bar
    menuBar()->setAccessibleName(menuBarName.toString());
    for (const MenuItemDescription &item : menuItems) {
        QAction *action = menuBar()->addAction(item.caption.toString());
        action->setObjectName(item.name.toString());
    }
    mnuNuovo = menuBar()->findChild<QAction *>(QStringLiteral("mnuNuovo"));
    mnuChiudi = menuBar()->findChild<QAction *>(QStringLiteral("mnuChiudi"));
}

void FrmBinario::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twipsToPixels(clientWidth), twipsToPixels(clientHeight));
    setCentralWidget(client);

    // Controls are created in tab order, which is the order Qt's focus chain follows.
    for (const ControlDescription &d : controls) {
        QWidget *parent = d.parent.isEmpty()
            ? client
            : client->findChild<QWidget *>(d.parent.toString(), Qt::FindDirectChildrenOnly);
        QWidget *control = nullptr;
        switch (d.kind) {
        case ControlKind::TextBox:
            control = newTextBox(d.name, parent);
            break;
        case ControlKind::CommandButton:
            control = new QPushButton(d.caption.toString(), parent);
            break;
        case ControlKind::Frame:
            control = new QGroupBox(d.caption.toString(), parent);
            break;
        case ControlKind::OptionButton:
            control = new QRadioButton(d.caption.toString(), parent);
            break;
        case ControlKind::Label:
            control = new QLabel(d.caption.toString(), parent);
            break;
        }
        control->setObjectName(d.name.toString());
        control->setGeometry(d.pixelGeometry());
    }

    Text1 = client->findChild<QLineEdit *>(QStringLiteral("Text1"));
    Text2 = client->findChild<QLineEdit *>(QStringLiteral("Text2"));
    Command1 = client->findChild<QPushButton *>(QStringLiteral("Command1"));
    Frame1 = client->findChild<QGroupBox *>(QStringLiteral("Frame1"));
    Option1 = client->findChild<QRadioButton *>(QStringLiteral("Option1"));
    Option2 = client->findChild<QRadioButton *>(QStringLiteral("Option2"));
    Label1 = client->findChild<QLabel *>(QStringLiteral("Label1"));
    Label2 = client->findChild<QLabel *>(QStringLiteral("Label2"));

    // Each box is announced by the label above it: a buddy names the box for screen readers.
    Label2->setBuddy(Text1);
    Label1->setBuddy(Text2);
    // Screen readers walk the controls in the order of the window's children: each label just
    // before the box it names, as a sighted user reads them. The tab order stays as described.
    Label2->stackUnder(Text1);
    Label1->stackUnder(Text2);

    Text2->setReadOnly(true);

    // Command1 is no default button: in a main window Qt makes none, so Enter in a box reaches
    // only that box's own handling.
    Command1->setFont(commandFont());
    Option1->setChecked(true);
}

void FrmBinario::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &FrmBinario::Command1_Click);
    // Queued: when the arrow keys switch the option, Qt gives the newly checked button the focus
    // right after its click; the handler must run after that to send the focus to Text1.
    connect(Option1, &QRadioButton::clicked, this, &FrmBinario::Option1_Click,
            Qt::QueuedConnection);
    connect(Option2, &QRadioButton::clicked, this, &FrmBinario::Option2_Click,
            Qt::QueuedConnection);
    connect(mnuNuovo, &QAction::triggered, this, &FrmBinario::mnuNuovo_Click);
    connect(mnuChiudi, &QAction::triggered, this, &FrmBinario::mnuChiudi_Click);
    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
    connect(static_cast<InputBox *>(Text1), &InputBox::refusedTooLong, this,
            [this] { messageBoxes().showMessage(Modulo1::tooLongInputMessage()); });
    // Tab enters the option group at the button that is on, and leaves it from there.
    connect(Option1, &QRadioButton::toggled, this, &FrmBinario::keepTabStopOnSelectedOption);
    keepTabStopOnSelectedOption();
    reportFocusAfterActivation(this);
}

void FrmBinario::keepTabStopOnSelectedOption()
{
    for (QRadioButton *option : { Option1, Option2 })
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

bool FrmBinario::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == Text1 || watched == Text2)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int keyCode = keyCodeOf(*key);
        // The handlers ignore the state of the modifier keys; it is passed as Qt gives it.
        const int shift = key->modifiers().toInt();
        if (watched == Text1)
            Text1_KeyDown(keyCode, shift);
        else
            Text2_KeyDown(keyCode, shift);
    }
    // The box goes on to handle the key as usual.
    return QMainWindow::eventFilter(watched, event);
}

QString FrmBinario::text(Modulo1::Box box) const
{
    return (box == Modulo1::Box::Text1 ? Text1 : Text2)->text();
}

void FrmBinario::setText(Modulo1::Box box, const QString &text)
{
    if (box == Modulo1::Box::Text2)
        m_resultWritten = text;
    (box == Modulo1::Box::Text1 ? Text1 : Text2)->setText(text);
}

bool FrmBinario::option(Modulo1::Option option) const
{
    return (option == Modulo1::Option::Option1 ? Option1 : Option2)->isChecked();
}

void FrmBinario::focusText1()
{
    Text1->setFocus(Qt::OtherFocusReason);
}

rt::MessageBoxService &FrmBinario::messageBoxes()
{
    return *m_messageBoxes;
}

void FrmBinario::setMessageBoxService(rt::MessageBoxService *service)
{
    m_messageBoxes = service ? service : &m_qtMessageBoxes;
}

void FrmBinario::setEndService(rt::EndService *service)
{
    m_end = service ? service : &m_qtEnd;
}

// A run-time error ends the handler, is reported in a modal box, and the program goes on with
// the boxes as they were and the focus where it was.
template<typename Work> void FrmBinario::guarded(Work &&work)
{
    const QPointer<QWidget> focused = QApplication::focusWidget();
    try {
        work();
    } catch (const rt::RuntimeError &error) {
        messageBoxes().showMessage(error.reportText());
        if (focused)
            focused->setFocus(Qt::OtherFocusReason);
    }
}

// One conversion, for Command1 and for Enter alike: an empty Text1 converts nothing; otherwise
// the procedure for the selected direction runs under the guard, and the result it wrote is told.
void FrmBinario::convert()
{
    if (Text1->text().isEmpty())
        return;
    guarded([this] {
        m_resultWritten.clear();
        if (option(Modulo1::Option::Option1))
            Modulo1::ConvertiInBase2();
        else if (option(Modulo1::Option::Option2))
            Modulo1::ConvertiInBase10();
        // Only a result is news: a refusal empties the result box, and a run-time error never
        // gets here.
        if (!m_resultWritten.isEmpty())
            announce(this, resultAnnouncement(m_resultWritten, option(Modulo1::Option::Option1)));
    });
}

void FrmBinario::Command1_Click()
{
    convert();
}

void FrmBinario::Text1_KeyDown(int keyCode, int /*shift*/)
{
    if (keyCode == vbKeyReturn)
        convert();
}

// Enter in the result box converts the input box, exactly as Enter there does.
void FrmBinario::Text2_KeyDown(int keyCode, int shift)
{
    Text1_KeyDown(keyCode, shift);
}

// The focus leaves the option at once, before a screen reader names it: the window tells it.
void FrmBinario::Option1_Click()
{
    focusText1();
    announce(this, Option1->text());
}

void FrmBinario::Option2_Click()
{
    focusText1();
    announce(this, Option2->text());
}

void FrmBinario::mnuNuovo_Click()
{
    setText(Modulo1::Box::Text1, QString());
    setText(Modulo1::Box::Text2, QString());
    focusText1();
    announce(this, boxesEmptiedAnnouncement());
}

void FrmBinario::mnuChiudi_Click()
{
    m_end->endProgram();
}

} // namespace window
