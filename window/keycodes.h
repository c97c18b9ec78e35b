// Key codes as the key handlers see them: 13 for either Enter key.
#pragma once

#include <QKeyEvent>

namespace window {

// The code either Enter key gives.
constexpr int vbKeyReturn = 13;

// Enter is the only key the handlers answer, so every other key gives 0.
inline int keyCodeOf(const QKeyEvent &event)
{
    const int key = event.key();
    return key == Qt::Key_Return || key == Qt::Key_Enter ? vbKeyReturn : 0;
}

} // namespace window
