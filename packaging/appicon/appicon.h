// The program's own icon and the id of its desktop entry, so that the window shows the same
// picture as the menu entry that starts it.
#pragma once

#include <QIcon>
#include <QString>

namespace conversione {

// Every size of the icon embedded in the program, for QApplication::setWindowIcon.
QIcon applicationIcon();

// The desktop entry's id, for QGuiApplication::setDesktopFileName: Wayland compositors find the
// entry (and through it the icon) by this id.
QString desktopFileName();

} // namespace conversione
