// The program's entry point: starts Qt, creates the window frmBinario, shows it with the input
// box focused and runs the event loop. Nothing else runs at start-up.
#include "appicon.h"
#include "application.h"
#include "frmbinario.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts with a toolkit trace when it finds no display; say plainly what to do instead.
bool displayAvailable()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("conversione: no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                   "Start it from a desktop session, or under a virtual display:\n"
                   "  xvfb-run -a conversione\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    window::setUpApplication();
    QApplication::setWindowIcon(conversione::applicationIcon());
    QGuiApplication::setDesktopFileName(conversione::desktopFileName());

    window::FrmBinario frmBinario;
    frmBinario.show();
    return app.exec();
}
