// The menu bar from the keyboard: F10 opens it as Alt does, and the item chosen with the keys
// is drawn highlighted whatever the style (Fusion highlights a bar item only while pressed).
#pragma once

#include <QProxyStyle>

class QMainWindow;

namespace window {

// Draws the current item of a menu bar that has the keyboard focus as pressed. A menu bar has
// the focus only after Alt or F10, so nothing changes for the mouse.
class KeyboardMenuBarStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit KeyboardMenuBarStyle(QStyle *base);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
};

// Wraps the application's style, whichever it is, in a KeyboardMenuBarStyle; once.
void highlightMenuBarItemsFromKeyboard();

// F10 in WINDOW opens (or closes) its menu bar as a tap of Alt does.
void openMenuBarWithF10(QMainWindow *window);

// Plays a tap of Alt to the focused control of WINDOW (or WINDOW): its menu bar opens or closes.
void playAltTap(QWidget *window);

} // namespace window
