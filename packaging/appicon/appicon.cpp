// The icon is embedded as PNG renderings rather than the SVG: loading an SVG would need Qt's SVG
// image plugin at run time, one more dependency and more start-up work for a small picture.
#include "appicon.h"

#include <QDir>
#include <QDirIterator>

namespace conversione {

QIcon applicationIcon()
{
    QIcon icon;
    // addFile without a size reads each file's own size, so every rendering is used as it is.
    QDirIterator files(QStringLiteral(":/conversione/icon"), { QStringLiteral("*.png") },
                       QDir::Files);
    while (files.hasNext())
        icon.addFile(files.next());
    return icon;
}

QString desktopFileName()
{
    return QStringLiteral(CONVERSIONE_APP_ID);
}

} // namespace conversione
