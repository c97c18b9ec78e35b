// The program's entry point: start-up, then the window frmBinario, shown with the input box
// focused, and Qt's event loop until the window closes. Nothing else runs here.
// The one place where runtime/ reaches up to window/: the entry point lives with the run-time
// layer, but what it starts is the window, so it includes window/ headers.
#include "frmbinario.h"
#include "startup.h"
#ifdef Q_OS_WASM
#include "browser.h"
#endif

#include <QApplication>

int main(int argc, char *argv[])
{
    const std::unique_ptr<QApplication> app = window::startUp(argc, argv);
    window::FrmBinario frmBinario;
#ifdef Q_OS_WASM
    window::showInBrowser(frmBinario);
#else
    frmBinario.show();
#endif
    return app->exec();
}
