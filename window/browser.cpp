// The program in a web browser: embedded fonts and the program's end.
#include "browser.h"

#include "browseraccessible.h"

#include <QDirIterator>
#include <QFontDatabase>
#include <QGuiApplication>
#include <emscripten.h>

namespace window {

void prepareForBrowser()
{
    QDirIterator faces(QStringLiteral(":/conversione/fonts"), { QStringLiteral("*.ttf") },
                       QDir::Files);
    while (faces.hasNext())
        QFontDatabase::addApplicationFont(faces.next());
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, qGuiApp, &endInBrowser);
    completeBrowserAccessibility();
}

void endInBrowser()
{
    emscripten_force_exit(0);
}

} // namespace window
