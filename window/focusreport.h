// Where the focus is, told again to screen readers once the window is first active.
#pragma once

class QWidget;

namespace window {

// When WINDOW first becomes the active window, reports its focused control to screen readers
// once more, after the activation itself. Qt reports the focus while it activates the window,
// and a screen reader may take that report before it learns of the activation, then present
// only the window ("Conversione cornice") and never the control the keys will reach. Only the
// first time: later the program's own changes to the boxes may move a screen reader's focus
// silently while both reports wait in its queue, and Orca 43 drops the first of two alike,
// then takes the second for old news. Screen readers on Linux (AT-SPI) only.
void reportFocusAfterActivation(QWidget *window);

} // namespace window
