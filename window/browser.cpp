// The program in a web browser: embedded fonts, read-only boxes kept so, and the program's end.
#include "browser.h"

#include "browseraccessible.h"
#include "menubarkeyboard.h"

#include <QAccessible>
#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
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

// Qt's menu bar takes a tap of Alt from the shortcut event that precedes the key press, which
// the browser's keys never bring: a tap the user makes (Alt pressed and released, no other key
// nor click between) is played to the menu bar as F10 plays it. Only the browser's own events
// count, not the tap played here.
class AltTap : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *event) override
    {
        const auto type = event->type();
        if (!event->spontaneous()
            || (type != QEvent::KeyPress && type != QEvent::KeyRelease
                && type != QEvent::MouseButtonPress))
            return false;
        const auto *key
            = type == QEvent::MouseButtonPress ? nullptr : static_cast<QKeyEvent *>(event);
        const bool alt = key && key->key() == Qt::Key_Alt && !key->isAutoRepeat();
        if (type == QEvent::KeyRelease && alt && armed) {
            QTimer::singleShot(0, qApp, [] {
                QWidget *window = QApplication::activeWindow();
                // Unless Qt took the tap itself after all.
                if (window && !qobject_cast<QMenuBar *>(QApplication::focusWidget()))
                    playAltTap(window);
            });
        }
        if (!key || !key->isAutoRepeat())
            armed = type == QEvent::KeyPress && alt;
        return false;
    }

private:
    bool armed = false;
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
    qApp->installEventFilter(new AltTap(qApp));
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
    endBrowserAccessibility();
    emscripten_force_exit(0);
}

} // namespace window
