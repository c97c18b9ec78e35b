// The program in a web browser: embedded fonts, read-only boxes kept so, and the program's end.
#include "browser.h"

#include "browseraccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <emscripten.h>

namespace window {

namespace {

// The browser's keys reach Qt through its input method, which commits typed and pasted text to
// the focused control whether or not it takes text: a read-only box would take it.
class ReadOnlyGuard : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (event->type() != QEvent::InputMethod || !box || !box->isReadOnly())
            return false;
        // The browser's keyboard field took the text: screen readers reading it are told the
        // box's value again.
        QAccessibleValueChangeEvent unchanged(box, box->text());
        QAccessible::updateAccessibility(&unchanged);
        return true;
    }
};

} // namespace

void prepareForBrowser()
{
    QDirIterator faces(QStringLiteral(":/conversione/fonts"), { QStringLiteral("*.ttf") },
                       QDir::Files);
    while (faces.hasNext())
        QFontDatabase::addApplicationFont(faces.next());
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, qGuiApp, &endInBrowser);
    completeBrowserAccessibility();
    qApp->installEventFilter(new ReadOnlyGuard(qApp));
}

void showInBrowser(QWidget &window)
{
    // The window is activated while it is being shown, before its controls are visible, and Qt
    // then gives the focus to the control after the one the window asked for.
    QWidget *const focused = window.focusWidget();
    // Normal: show() makes a window in a browser fill the page.
    window.showNormal();
    if (focused)
        focused->setFocus(Qt::ActiveWindowFocusReason);
    const auto centre = [&window] {
        QRect frame = window.frameGeometry();
        frame.moveCenter(window.screen()->availableGeometry().center());
        window.move(qMax(frame.left(), 0), qMax(frame.top(), 0));
    };
    centre();
    QObject::connect(window.screen(), &QScreen::availableGeometryChanged, &window, centre);
}

void endInBrowser()
{
    emscripten_force_exit(0);
}

} // namespace window
