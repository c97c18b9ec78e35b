// What screen readers find of the program in a web browser, where Qt for WebAssembly mirrors the
// accessible objects as hidden page elements. Qt 6.8 makes them only after its hidden "Enable
// Screen Reader" button is pressed, and leaves out the boxes' and options' names, the boxes'
// values, the options' checked state, the items of the group and of the menu bar, the message
// box as a dialog, and what the focused control is; this supplies them from Qt's accessible
// interfaces.
#pragma once

namespace window {

// Presses Qt's button as soon as the first window is shown, so that the elements are there
// without a click, and from then on completes each element whenever Qt updates it.
void completeBrowserAccessibility();

// Stops completing and switches Qt's page elements off, before the program ends: the end
// tears down what the elements stand on.
void endBrowserAccessibility();

} // namespace window
