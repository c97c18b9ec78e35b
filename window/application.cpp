// Application identity and style.
#include "application.h"

#include <QApplication>
#include <QStyle>
#include <cstring>

namespace window {

namespace {

// Qt has already loaded the style the user named, if it could; keep it then. Otherwise (none
// named, or one Qt could not load) Qt's own compact style, which the fixed geometry is drawn for,
// whatever the desktop's style is.
void useStyle(const QString &userStyle)
{
    if (QApplication::style()->name().compare(userStyle, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
}

} // namespace

QString styleNamedByUser(int argc, char *argv[])
{
    // As Qt reads them: the environment first, then the arguments, the last
    // non-empty one winning.
    QString named = qEnvironmentVariable("QT_STYLE_OVERRIDE");
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (arg[0] == '-' && arg[1] == '-')
            ++arg;
        QString value;
        if (std::strncmp(arg, "-style=", 7) == 0)
            value = QString::fromLocal8Bit(arg + 7);
        else if (std::strcmp(arg, "-style") == 0 && i + 1 < argc)
            value = QString::fromLocal8Bit(argv[++i]);
        if (!value.isEmpty())
            named = value;
    }
    return named;
}

void setUpApplication(const QString &userStyle)
{
    QApplication::setApplicationName(QStringLiteral("Conversione"));
    QApplication::setApplicationVersion(QStringLiteral(CONVERSIONE_VERSION));
    useStyle(userStyle);
}

} // namespace window
