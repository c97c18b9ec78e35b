// What start-up leaves in Qt, read through Qt's own interfaces only, so that the same reading
// serves inside a test and inside the real program (tests/gui/probe), and the values it must
// read. Each fact is a short text; a row names it and what start-up must have set. The version and
// the application id come from the build (tests/CMakeLists.txt), as the program's own do.
#pragma once

#if !defined(CONVERSIONE_VERSION) || !defined(CONVERSIONE_APP_ID)
#error "startupfacts.h needs CONVERSIONE_VERSION and CONVERSIONE_APP_ID (conversione_testsupport)"
#endif

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QOperatingSystemVersion>
#include <QProxyStyle>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace startupfacts {

inline QString style()
{
    const QStyle *style = QApplication::style();
    const auto *proxy = qobject_cast<const QProxyStyle *>(style);
    const QString base = proxy ? proxy->baseStyle()->name() : style->name();
    return QString::fromLatin1(style->metaObject()->className()) + QStringLiteral(" over ") + base;
}

inline QString iconSizes()
{
    QStringList sizes;
    for (const QSize &size : QApplication::windowIcon().availableSizes())
        sizes << QString::number(size.width()) + u'x' + QString::number(size.height());
    return sizes.join(u' ');
}

// The attribute run a screen reader gets from the middle of a line edit's text: the program's
// accessible text box gives one run over the whole text, Qt's own an empty one.
inline QString textBoxAttributeRun()
{
    QLineEdit box(QStringLiteral("1010"));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&box);
    if (!accessible || !accessible->textInterface())
        return QStringLiteral("none");
    int start = -1, end = -1;
    accessible->textInterface()->attributes(2, &start, &end);
    return QString::number(start) + u'-' + QString::number(end);
}

// A Qt text the user meets: the paste action of a line edit's context menu, known by its
// shortcut, which Qt writes after a tab.
inline QString pasteCaption()
{
    QLineEdit box;
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    const QString shortcut
        = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (const QAction *action : menu->actions()) {
        if (action->text().endsWith(shortcut))
            return action->text();
    }
    return QStringLiteral("none");
}

inline QString fact(const QString &name)
{
    if (name == u"application name")
        return QApplication::applicationName();
    if (name == u"version")
        return QApplication::applicationVersion();
    if (name == u"desktop file name")
        return QGuiApplication::desktopFileName();
    if (name == u"window icon")
        return iconSizes();
    if (name == u"style")
        return style();
    if (name == u"text box attributes")
        return textBoxAttributeRun();
    if (name == u"font substitution")
        return QFont::substitute(QStringLiteral("MS Sans Serif"));
    if (name == u"paste caption")
        return pasteCaption();
    return QStringLiteral("no such fact");
}

// The style the window is drawn in where the user names none: on Windows the one Qt picks for the
// system, as every program there looks; elsewhere Fusion, which the fixed geometry is drawn for.
inline QString ownStyle()
{
#ifdef Q_OS_WIN
    return QOperatingSystemVersion::current() >= QOperatingSystemVersion::Windows11
        ? QStringLiteral("windows11")
        : QStringLiteral("windowsvista");
#else
    return QStringLiteral("fusion");
#endif
}

// Each fact and what start-up sets it to.
inline std::vector<std::pair<QString, QString>> expected()
{
#ifdef Q_OS_WIN
    const QString substitute = QStringLiteral("microsoft sans serif");
#else
    const QString substitute = QStringLiteral("liberation sans");
#endif
    return {
        { QStringLiteral("application name"), QStringLiteral("Conversione") },
        { QStringLiteral("version"), QStringLiteral(CONVERSIONE_VERSION) },
        { QStringLiteral("desktop file name"), QStringLiteral(CONVERSIONE_APP_ID) },
        // The sizes window managers draw; the large ones come from the icon theme.
        { QStringLiteral("window icon"), QStringLiteral("16x16 32x32 48x48 64x64") },
        // The proxy wraps the style: chosen the other way round, the style would replace it.
        { QStringLiteral("style"),
          QStringLiteral("window::KeyboardMenuBarStyle over ") + ownStyle() },
        { QStringLiteral("text box attributes"), QStringLiteral("0-4") },
        { QStringLiteral("font substitution"), substitute },
        // Qt's Italian, whatever the locale the tests run in.
        { QStringLiteral("paste caption"), QStringLiteral("&Incolla\tCtrl+V") },
    };
}

} // namespace startupfacts
