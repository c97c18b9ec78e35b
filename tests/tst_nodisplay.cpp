// The message the program gives when it cannot open a window: which one for which environment
// and which list of platform plugins Qt reports. tests/system/linux/platforms.py sees the same
// messages from the real program on real displays.
#include "nodisplay.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNoDisplay : public QObject
{
    Q_OBJECT

private slots:
    void reason_data();
    void reason();
};

namespace {

// Qt's fatal message, as it ends when no platform could be opened.
QString qtFatal(const QString &plugins)
{
    return u"This application failed to start because no Qt platform plugin could be "
           "initialized. Reinstalling the application may fix this problem.\n\n"
           "Available platform plugins are: "_s
        + plugins + u".\n"_s;
}

const QString everyPlugin = u"eglfs, linuxfb, minimal, offscreen, vnc, wayland-egl, wayland, xcb"_s;
const QString noWayland = u"eglfs, linuxfb, minimal, offscreen, vnc, xcb"_s;
const QString noDisplayFound = u"no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                               "Start it from a desktop session, or under a virtual display:\n"
                               "  xvfb-run -a conversione\n"_s;

QString noAnswer(const QString &named)
{
    return u"cannot open a window: no display answers ("_s + named
        + u").\nStart it from a desktop session, or check that its display server is still "
          "running.\n"_s;
}

QString notInstalled(const QString &platform, const QString &todo)
{
    return u"cannot open a window: Qt's platform plugin \""_s + platform
        + u"\" is not installed.\n"_s + todo + u'\n';
}

const char *const variables[]
    = { "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_TYPE" };

} // namespace

void TestNoDisplay::reason_data()
{
    // Environment as "NAME=value" words; the variables not named are unset.
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("plugins");
    QTest::addColumn<QString>("message");
    const QString installWayland = u"Install the package qt6-wayland (apt install qt6-wayland)."_s;
    const QString installXcb = u"Install the package libqt6gui6 (apt install libqt6gui6)."_s;
    const QString installIt = u"Install it, or start the program from a desktop session."_s;

    QTest::newRow("nothing set") << QStringList() << everyPlugin << noDisplayFound;
    QTest::newRow("X server gone")
        << QStringList { u"DISPLAY=:612"_s } << everyPlugin << noAnswer(u"DISPLAY=:612"_s);
    QTest::newRow("Wayland without its plugin")
        << QStringList { u"WAYLAND_DISPLAY=wayland-0"_s } << noWayland
        << notInstalled(u"wayland"_s, installWayland);
    QTest::newRow("Wayland session type without its plugin")
        << QStringList { u"XDG_SESSION_TYPE=wayland"_s, u"DISPLAY=:0"_s } << noWayland
        << notInstalled(u"wayland"_s, installWayland);
    QTest::newRow("Wayland session type, neither answers")
        << QStringList { u"XDG_SESSION_TYPE=wayland"_s, u"DISPLAY=:0"_s } << everyPlugin
        << noAnswer(u"DISPLAY=:0"_s);
    QTest::newRow("both displays named, neither answers")
        << QStringList { u"WAYLAND_DISPLAY=w-1"_s, u"DISPLAY=:1"_s } << everyPlugin
        << noAnswer(u"WAYLAND_DISPLAY=w-1, DISPLAY=:1"_s);
    QTest::newRow("QT_QPA_PLATFORM=wayland, no compositor")
        << QStringList { u"QT_QPA_PLATFORM=wayland"_s, u"WAYLAND_DISPLAY=nothing-here"_s }
        << everyPlugin << noAnswer(u"WAYLAND_DISPLAY=nothing-here"_s);
    QTest::newRow("QT_QPA_PLATFORM alone names the display")
        << QStringList { u"QT_QPA_PLATFORM=vnc:size=800x600"_s } << everyPlugin
        << noAnswer(u"QT_QPA_PLATFORM=vnc:size=800x600"_s);
    QTest::newRow("QT_QPA_PLATFORM=xcb without its plugin")
        << QStringList { u"QT_QPA_PLATFORM=XCB"_s, u"DISPLAY=:0"_s } << u"offscreen"_s
        << notInstalled(u"xcb"_s, installXcb);
    QTest::newRow("a wayland variant without its plugin")
        << QStringList { u"QT_QPA_PLATFORM=wayland-egl;xcb"_s } << noWayland
        << notInstalled(u"wayland-egl"_s, installWayland);
    QTest::newRow("first of a list present, second missing")
        << QStringList { u"QT_QPA_PLATFORM=xcb;eglfs:/dev/fb1"_s } << u"xcb"_s
        << notInstalled(u"eglfs"_s, installIt);
    QTest::newRow("Qt has no platform plugins at all")
        << QStringList { u"DISPLAY=:0"_s } << QString() << notInstalled(u"xcb"_s, installXcb);
}

void TestNoDisplay::reason()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, plugins);
    QFETCH(QString, message);
    for (const char *name : variables)
        qunsetenv(name);
    for (const QString &word : environment)
        qputenv(word.section(u'=', 0, 0).toLatin1(), word.section(u'=', 1).toLocal8Bit());
    const QString reason = rt::noDisplayReason(qtFatal(plugins));
    for (const char *name : variables)
        qunsetenv(name);
    QCOMPARE(reason, message);
}

QTEST_GUILESS_MAIN(TestNoDisplay)
#include "tst_nodisplay.moc"
