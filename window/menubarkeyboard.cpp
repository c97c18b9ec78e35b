// F10 for the menu bar, and a visible current item while the keyboard is in the bar.
#include "menubarkeyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QShortcut>
#include <QStyleOptionMenuItem>

namespace window {

KeyboardMenuBarStyle::KeyboardMenuBarStyle(QStyle *base)
    : QProxyStyle(base)
{
}

void KeyboardMenuBarStyle::drawControl(ControlElement element, const QStyleOption *option,
                                       QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuBarItem && item && widget && widget->hasFocus()
        && (item->state & State_Selected)) {
        QStyleOptionMenuItem pressed = *item;
        pressed.state |= State_Sunken;
        QProxyStyle::drawControl(element, &pressed, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void highlightMenuBarItemsFromKeyboard()
{
    QStyle *style = QApplication::style();
    if (qobject_cast<KeyboardMenuBarStyle *>(style))
        return;
    // The proxy takes the application's style as its base and owns it from now on.
    QApplication::setStyle(new KeyboardMenuBarStyle(style));
}

// QMenuBar enters (or leaves) keyboard mode on a tap of Alt, which it recognises from the key
// press passing the shortcut machinery and the release that follows. Qt has no public call for
// it, so F10 plays that tap, once the F10 shortcut itself is done with.
void openMenuBarWithF10(QMainWindow *window)
{
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    QObject::connect(
        f10, &QShortcut::activated, window, [window] { playAltTap(window); }, Qt::QueuedConnection);
}

void playAltTap(QWidget *window)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

} // namespace window
