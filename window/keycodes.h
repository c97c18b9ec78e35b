// Key codes and shift states as the key handlers see them: the classic 16-bit codes, 13 for
// either Enter key, letters and digits as their upper-case character codes.
#pragma once

#include <QKeyEvent>

namespace window {

// The code either Enter key gives.
constexpr int vbKeyReturn = 13;

inline int keyCodeOf(const QKeyEvent &event)
{
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return vbKeyReturn;
    // Qt's codes for the printable keys are their character codes; other keys have none here.
    return key > 0 && key < 0x80 ? key : 0;
}

// Bit 1 Shift, bit 2 Ctrl, bit 4 Alt.
inline int shiftStateOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace window
