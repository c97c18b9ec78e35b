// What the program sets on Qt's application object before it shows the window.
#pragma once

#include <QString>

namespace window {

// The style the user named: "-style NAME" or "-style=NAME" on the command line (also with "--"),
// else QT_STYLE_OVERRIDE; empty when none. Read before QApplication, which takes these options
// out of argv.
QString styleNamedByUser(int argc, char *argv[]);

// Name "Conversione", version, and the style: the user's own when Qt could load it, else the one
// the fixed geometry is drawn for.
void setUpApplication(const QString &userStyle = {});

} // namespace window
