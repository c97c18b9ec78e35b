// Start-up: everything the program sets for the whole process, once, before its window exists.
// The window itself only builds its controls; what it relies on from Qt is set here.
#pragma once

#include <QString>
#include <memory>

class QApplication;

namespace window {

// Starts Qt and prepares it for frmBinario, in this order:
//  1. the display check: Qt opens the display; where it cannot, the program ends with one plain
//     message and status 1 (rt::NoDisplayReport);
//  2. identity: name, version, desktop file id (the desktop entry's, by which Wayland compositors
//     find it) and the window icon;
//  3. the style (the user's, else Windows' own on Windows and Fusion elsewhere), then the
//     menu-bar proxy around it, which must come after: setting a style replaces the proxy;
//  4. the accessibility factories for the text boxes and, before Qt 6.8, the notifier;
//  5. the font substitution for Command1's missing face, and in a browser the embedded faces
//     and the end of the program when its window closes (browser.h);
//  6. Qt's Italian translation for its own texts (context menus, dialog buttons), whatever the
//     user's locale; without it installed, Qt's texts stay as they are and nothing is said.
// Call it once per process; the application object lives as long as the pointer returned.
std::unique_ptr<QApplication> startUp(int &argc, char **argv);

// The style the user named: "-style NAME" or "-style=NAME" on the command line (also with "--"),
// else QT_STYLE_OVERRIDE; empty when none. Read before QApplication, which takes these options
// out of argv.
QString styleNamedByUser(int argc, char *argv[]);

// Keeps the style the user named when Qt could load it; else keeps Windows' own style on
// Windows, and sets Fusion elsewhere, the style the fixed geometry is drawn for on Linux.
void chooseStyle(const QString &userStyle);

} // namespace window
