// What the window tells a screen-reader user without moving the focus: the result of a
// conversion, the option the arrow keys chose, the boxes emptied by "Nuovo".
#pragma once

#include <QString>

class QWidget;

namespace window {

// Has the screen reader say MESSAGE on behalf of WINDOW, the focus staying where it is.
void announce(QWidget *window, const QString &message);

// "Risultato 1 0 1 0" for binary digits, one by one so none is read as a quantity;
// "Risultato 10" for a decimal value.
QString resultAnnouncement(const QString &result, bool binaryDigits);

// After "Nuovo": both boxes are empty and the caret waits in the input box.
QString boxesEmptiedAnnouncement();

} // namespace window
