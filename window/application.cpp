// Application identity and style.
#include "application.h"

#include <QApplication>

namespace window {

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Conversione"));
    QApplication::setApplicationVersion(QStringLiteral(CONVERSIONE_VERSION));
    // The fixed geometry is drawn for Qt's own compact style, whatever the desktop's style is.
    QApplication::setStyle(QStringLiteral("Fusion"));
}

} // namespace window
