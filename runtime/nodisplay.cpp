// The plain message in place of Qt's abort when no display can be opened. Qt picks the display
// from the environment (QT_QPA_PLATFORM, else WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland first,
// then X11), tries each, and ends with a fatal message listing the platform plugins it has. That
// message is caught here, and the reason told from the same environment and that list.
#include "nodisplay.h"

#ifdef CONVERSIONE_DISPLAY_FROM_ENVIRONMENT
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

namespace rt {

#ifdef CONVERSIONE_DISPLAY_FROM_ENVIRONMENT
namespace {

QString variable(const char *name)
{
    return qEnvironmentVariable(name);
}

// The platforms Qt tried, in its order, without their arguments ("wayland", "xcb").
QStringList platformsTried()
{
    const QString named = variable("QT_QPA_PLATFORM");
    QStringList tried;
    if (!named.isEmpty()) {
        for (const QString &entry : named.split(u';', Qt::SkipEmptyParts))
            tried << entry.section(u':', 0, 0).toLower();
        return tried;
    }
    if (!variable("WAYLAND_DISPLAY").isEmpty() || variable("XDG_SESSION_TYPE") == u"wayland")
        tried << QStringLiteral("wayland");
    tried << QStringLiteral("xcb");
    return tried;
}

// From Qt's fatal message: "Available platform plugins are: wayland, xcb, ...".
QStringList platformsAvailable(const QString &fatal)
{
    const QString intro = QStringLiteral("Available platform plugins are: ");
    const qsizetype start = fatal.indexOf(intro);
    if (start < 0)
        return {};
    QString list = fatal.mid(start + intro.size()).section(u'\n', 0, 0).trimmed();
    if (list.endsWith(u'.'))
        list.chop(1);
    return list.split(QStringLiteral(", "), Qt::SkipEmptyParts);
}

// The Debian package that holds a platform plugin.
QString packageOf(const QString &platform)
{
    if (platform.startsWith(u"wayland"))
        return QStringLiteral("qt6-wayland");
    if (platform == u"xcb")
        return QStringLiteral("libqt6gui6");
    return {};
}

} // namespace

QString noDisplayReason(const QString &fatal)
{
    const QStringList available = platformsAvailable(fatal);
    for (const QString &platform : platformsTried()) {
        if (available.contains(platform))
            continue;
        const QString package = packageOf(platform);
        const QString todo = package.isEmpty()
            ? QStringLiteral("Install it, or start the program from a desktop session.\n")
            : QStringLiteral("Install the package %1 (apt install %1).\n").arg(package);
        return QStringLiteral("cannot open a window: Qt's platform plugin \"%1\" is not "
                              "installed.\n")
                   .arg(platform)
            + todo;
    }
    const QString x11 = variable("DISPLAY");
    const QString wayland = variable("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty() && variable("QT_QPA_PLATFORM").isEmpty())
        return QStringLiteral("no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                              "Start it from a desktop session, or under a virtual display:\n"
                              "  xvfb-run -a conversione\n");
    QStringList named;
    if (!wayland.isEmpty())
        named << QStringLiteral("WAYLAND_DISPLAY=") + wayland;
    if (!x11.isEmpty())
        named << QStringLiteral("DISPLAY=") + x11;
    if (named.isEmpty())
        named << QStringLiteral("QT_QPA_PLATFORM=") + variable("QT_QPA_PLATFORM");
    return QStringLiteral("cannot open a window: no display answers (%1).\n"
                          "Start it from a desktop session, or check that its display server "
                          "is still running.\n")
        .arg(named.join(QStringLiteral(", ")));
}

namespace {

// Qt's notes on the way to the failure: its platform plugin loading and its display connections
// (qt.qpa.*), and the Wayland plugin's own complaint, which carries no category.
bool isPlatformNote(const QMessageLogContext &context)
{
    const char *category = context.category;
    return !category || !*category || std::strcmp(category, "default") == 0
        || std::strncmp(category, "qt.qpa.", 7) == 0;
}

void reportFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && message.contains(QStringLiteral("platform plugin"))) {
        std::fputs(qPrintable(QStringLiteral("conversione: ") + noDisplayReason(message)), stderr);
        std::_Exit(1);
    }
    // The program itself says nothing here; only what Qt says while it opens the display. When a
    // later platform succeeds, its notes about the earlier ones are left out as well.
    if (type != QtFatalMsg && isPlatformNote(context))
        return;
    // Anything else as Qt prints it on a terminal (a fatal one then aborts as ever).
    std::fputs(qPrintable(qFormatLogMessage(type, context, message) + u'\n'), stderr);
}

} // namespace

NoDisplayReport::NoDisplayReport()
    : m_previous(qInstallMessageHandler(reportFailure))
{
}

NoDisplayReport::~NoDisplayReport()
{
    qInstallMessageHandler(m_previous);
}
#else
NoDisplayReport::NoDisplayReport() = default;
NoDisplayReport::~NoDisplayReport() = default;
#endif

} // namespace rt
