// Where the focus is, told again to screen readers once the window is active.
#pragma once

class QWidget;

namespace window {

// Each time WINDOW becomes the active window, reports its focused control to screen readers
// once more, after the activation itself. Qt reports the focus while it activates the window,
// and a screen reader may take that report before it learns of the activation, then present
// only the window ("Conversione cornice") and never the control the keys will reach.
void reportFocusAfterActivation(QWidget *window);

} // namespace window
