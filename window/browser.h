// What the program does differently in a web browser (Qt for WebAssembly), set up once at
// start-up: the fonts it carries, what screen readers find (browseraccessible.h), and the end of
// the program that the page learns of.
#pragma once

class QWidget;

namespace window {

// Adds the embedded faces the captions are measured for (a browser has no system fonts Qt can
// use), completes the page's accessible elements, keeps typed text out of read-only boxes, and
// ends the program when its last window closes, as "Chiudi" does.
void prepareForBrowser();

// Shows the window at its size in the middle of the page, kept there as the page changes size,
// with the focus on the control it asked for.
void showInBrowser(QWidget &window);

// Ends the program: Qt's event loop never returns in a browser, so the end is Emscripten's,
// which tells the page (its onExit) that the program has ended.
void endInBrowser();

} // namespace window
