// The program's entry point: starts Qt, creates the window frmBinario, shows it with the input
// box focused and runs the event loop. Nothing else runs at start-up.
#include "appicon.h"
#include "application.h"
#include "frmbinario.h"
#include "nodisplay.h"

#include <QApplication>

namespace {

// Qt opens the display while it constructs its application object; a failure there ends the
// program with a plain message instead of Qt's abort.
QApplication startQt(int &argc, char *argv[])
{
    const rt::NoDisplayReport report;
    return QApplication(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt takes its own options out of argv as it starts; the style the user named is read first.
    const QString userStyle = window::styleNamedByUser(argc, argv);
    QApplication app = startQt(argc, argv);
    window::setUpApplication(userStyle);
    QApplication::setWindowIcon(conversione::applicationIcon());
    QGuiApplication::setDesktopFileName(conversione::desktopFileName());

    window::FrmBinario frmBinario;
    frmBinario.show();
    return app.exec();
}
